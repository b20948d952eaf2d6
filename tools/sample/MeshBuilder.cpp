#include "sample/MeshBuilder.h"

#include "sample/SampleMath.h"

#include <bit>
#include <cmath>
#include <limits>
#include <map>
#include <stdexcept>

namespace zorvek::sample {

namespace {

bool isPole(const std::vector<SurfacePoint>& row) {
    for (const SurfacePoint& point : row) {
        if (!(point.position == row.front().position)) {
            return false;
        }
    }
    return true;
}

std::uint16_t vertexIndex(std::size_t index) {
    if (index > std::numeric_limits<std::uint16_t>::max()) {
        throw std::length_error("the sample mesh outgrew 16-bit vertex indices");
    }
    return static_cast<std::uint16_t>(index);
}

using PositionKey = std::array<std::uint32_t, 3>;

PositionKey keyOf(const Vec3& p) {
    return {std::bit_cast<std::uint32_t>(p.x), std::bit_cast<std::uint32_t>(p.y), std::bit_cast<std::uint32_t>(p.z)};
}

}  // namespace

void MeshBuilder::addSurface(std::uint16_t material, const SurfaceRows& rows, const WeightFunction& weights) {
    const std::size_t first = vertices_.size();
    const std::size_t columns = rows.front().size();
    for (const auto& row : rows) {
        if (row.size() != columns) {
            throw std::logic_error("sample surface rows differ in length");
        }
        for (const SurfacePoint& point : row) {
            vertices_.push_back({point.position, {}, point.uv, weights(point.position).strongestFour()});
        }
    }
    for (std::size_t r = 0; r + 1 < rows.size(); ++r) {
        const bool poleBelow = isPole(rows[r]);
        const bool poleAbove = isPole(rows[r + 1]);
        for (std::size_t s = 0; s + 1 < columns; ++s) {
            const std::size_t a = first + r * columns + s;
            const std::size_t c = a + columns;
            addQuad(a, a + 1, c, c + 1, material, poleBelow, poleAbove);
        }
    }
    smoothNormals(first);
}

void MeshBuilder::addQuad(std::size_t a, std::size_t b, std::size_t c, std::size_t d, std::uint16_t material,
                          bool poleBelow, bool poleAbove) {
    // Next to a pole one of the two triangles has no area and is left out.
    if (poleBelow) {
        triangles_.push_back({{vertexIndex(a), vertexIndex(d), vertexIndex(c)}, material});
        return;
    }
    triangles_.push_back({{vertexIndex(a), vertexIndex(b), vertexIndex(c)}, material});
    if (!poleAbove) {
        triangles_.push_back({{vertexIndex(b), vertexIndex(d), vertexIndex(c)}, material});
    }
}

void MeshBuilder::smoothNormals(std::size_t firstVertex) {
    std::vector<Vec3> faceSums(vertices_.size() - firstVertex);
    for (const MeshTriangle& triangle : triangles_) {
        if (triangle.corners[0] < firstVertex) {
            continue;
        }
        const Vec3& p0 = vertices_[triangle.corners[0]].position;
        const Vec3 areaNormal =
            cross(vertices_[triangle.corners[1]].position - p0, vertices_[triangle.corners[2]].position - p0);
        for (std::uint16_t corner : triangle.corners) {
            faceSums[corner - firstVertex] = faceSums[corner - firstVertex] + areaNormal;
        }
    }
    // Seam and pole copies share one normal, so the surface shows no crease there.
    std::map<PositionKey, Vec3> welded;
    for (std::size_t i = firstVertex; i < vertices_.size(); ++i) {
        Vec3& sum = welded[keyOf(vertices_[i].position)];
        sum = sum + faceSums[i - firstVertex];
    }
    for (std::size_t i = firstVertex; i < vertices_.size(); ++i) {
        vertices_[i].normal = normalize(welded[keyOf(vertices_[i].position)]);
    }
}

namespace {

Vec3 nodeDirection(const std::vector<TubeNode>& nodes, std::size_t k) {
    const std::size_t before = k == 0 ? 0 : k - 1;
    const std::size_t after = k + 1 < nodes.size() ? k + 1 : k;
    return normalize(nodes[after].center - nodes[before].center);
}

float squared(float c, float squareness) {
    const float boxy = c < 0 ? -std::sqrt(-c) : std::sqrt(c);
    return lerp(c, boxy, squareness);
}

std::vector<SurfacePoint> ring(const TubeShape& shape, const TubeNode& node, const Vec3& direction, float shrink) {
    const Vec3 w = normalize(shape.frontHint - direction * dot(shape.frontHint, direction));
    const Vec3 u = cross(w, direction);
    std::vector<SurfacePoint> points;
    for (int s = 0; s <= shape.segments; ++s) {
        const float texU = lerp(shape.uStart, shape.uEnd, static_cast<float>(s) / static_cast<float>(shape.segments));
        if (shrink == 0) {
            points.push_back({node.center, {texU, node.v}});
            continue;
        }
        // The seam faces away from the front hint; the last point repeats the first exactly.
        const float turn = static_cast<float>(s % shape.segments) / static_cast<float>(shape.segments);
        const float angle = 2 * pi * turn - pi / 2;
        const float side = squared(portableCos(angle), shape.squareness) * node.radiusSide * shrink;
        const float front = squared(portableSin(angle), shape.squareness) * node.radiusFront * shrink;
        points.push_back({node.center + u * side + w * front, {texU, node.v}});
    }
    return points;
}

// Rows of a rounded end, from the pole towards the tube; depth < 0 caps the start.
SurfaceRows capRows(const TubeShape& shape, const TubeNode& node, const Vec3& direction, float depth) {
    constexpr int steps = 3;
    SurfaceRows rows;
    const float radius = (node.radiusSide + node.radiusFront) / 2;
    for (int i = steps; i >= 1; --i) {
        const float angle = pi / 2 * static_cast<float>(i) / steps;
        TubeNode cap = node;
        cap.center = node.center + direction * (depth * radius * portableSin(angle));
        rows.push_back(ring(shape, cap, direction, i == steps ? 0.0f : portableCos(angle)));
    }
    return rows;
}

}  // namespace

SurfaceRows tubeRows(const TubeShape& shape) {
    SurfaceRows rows;
    const std::size_t last = shape.nodes.size() - 1;
    if (shape.startCap > 0) {
        rows = capRows(shape, shape.nodes.front(), nodeDirection(shape.nodes, 0), -shape.startCap);
    }
    for (std::size_t k = 0; k <= last; ++k) {
        rows.push_back(ring(shape, shape.nodes[k], nodeDirection(shape.nodes, k), 1));
    }
    if (shape.endCap > 0) {
        SurfaceRows end = capRows(shape, shape.nodes.back(), nodeDirection(shape.nodes, last), shape.endCap);
        rows.insert(rows.end(), end.rbegin(), end.rend());
    }
    return rows;
}

}  // namespace zorvek::sample
