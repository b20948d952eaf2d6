#pragma once

// Collects the sample model's surfaces into one indexed mesh with smooth
// normals, texture coordinates and skin weights.

#include "base/Math.h"
#include "sample/BoneWeights.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace zorvek::sample {

struct MeshVertex {
    Vec3 position;  // model space
    Vec3 normal;
    Vec2 uv;
    std::array<BoneWeights::Influence, 4> influences;
};

// Corners counter-clockwise seen from outside.
struct MeshTriangle {
    std::array<std::uint16_t, 3> corners;
    std::uint16_t material;
};

struct SurfacePoint {
    Vec3 position;
    Vec2 uv;
};

// Rows follow each other along a part, and each row runs around it so that
// the next row lies to its left when seen from outside; the last point of a
// row repeats the position of the first (the texture seam). A row whose
// points all share one position is a pole.
using SurfaceRows = std::vector<std::vector<SurfacePoint>>;
using WeightFunction = std::function<BoneWeights(const Vec3& position)>;

class MeshBuilder {
public:
    void addSurface(std::uint16_t material, const SurfaceRows& rows, const WeightFunction& weights);

    const std::vector<MeshVertex>& vertices() const { return vertices_; }
    const std::vector<MeshTriangle>& triangles() const { return triangles_; }

private:
    void addQuad(std::size_t a, std::size_t b, std::size_t c, std::size_t d, std::uint16_t material, bool poleBelow,
                 bool poleAbove);
    void smoothNormals(std::size_t firstVertex);

    std::vector<MeshVertex> vertices_;
    std::vector<MeshTriangle> triangles_;
};

// A tube around a line of nodes, with elliptic (or, with squareness, boxier) sections.
struct TubeNode {
    Vec3 center;
    float radiusSide = 0;   // along the section's side axis
    float radiusFront = 0;  // along the front hint
    float v = 0;            // texture row at this node
};

struct TubeShape {
    std::vector<TubeNode> nodes;
    Vec3 frontHint;  // the section's second axis; the texture seam lies opposite it
    int segments = 16;
    float uStart = 0;
    float uEnd = 1;
    float squareness = 0;
    // Depth of the rounded ends as a fraction of their radius; 0 leaves an end open.
    float startCap = 0;
    float endCap = 0;
};

SurfaceRows tubeRows(const TubeShape& shape);

}  // namespace zorvek::sample
