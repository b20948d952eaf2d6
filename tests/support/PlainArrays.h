#pragma once

#include <vector>

namespace zorvek::test {

// A model's array as a plain std::vector, to compare with the arrays that a
// DFF was built from.
template <typename T, typename Allocator>
std::vector<T> plain(const std::vector<T, Allocator>& values) {
    return std::vector<T>(values.begin(), values.end());
}

template <typename T, typename Allocator>
std::vector<std::vector<T>> plain(const std::vector<std::vector<T, Allocator>>& sets) {
    std::vector<std::vector<T>> result;
    for (const auto& set : sets) {
        result.push_back(plain(set));
    }
    return result;
}

}  // namespace zorvek::test
