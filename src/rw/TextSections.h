#pragma once

#include "rw/Section.h"

#include <string>
#include <string_view>

namespace zorvek {

// A texture name: the payload up to, not including, its first zero byte
// (the whole payload when there is none).
template <>
class Section<SectionType::String> final : public Section_Base {
public:
    explicit Section(SectionInput& input);
    std::string_view name() const override { return sectionName(SectionType::String); }
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

// A frame name: every payload byte, zero bytes included, with no length prefix.
template <>
class Section<SectionType::Frame> final : public Section_Base {
public:
    explicit Section(SectionInput& input);
    std::string_view name() const override { return sectionName(SectionType::Frame); }
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

}  // namespace zorvek
