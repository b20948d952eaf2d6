#pragma once

// What the ANP3 and ANPK readers share: the path of the part being read,
// which broken-file messages name, and the rule every key's time follows.

#include "base/ByteReader.h"
#include "base/UserMessageError.h"
#include "ifp/IfpAnimation.h"

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace zorvek {

// The parts being read, outermost first: the format, then animation, object
// and chunk names. Shown joined by backslashes, as the DFF reader shows its
// open sections: "ANP3\walk_civi\Bip01 Pelvis\キー".
class IfpPath {
public:
    explicit IfpPath(std::string format) : parts_{std::move(format)} {}
    IfpPath(const IfpPath&) = delete;
    IfpPath& operator=(const IfpPath&) = delete;

    void push(std::string part) { parts_.push_back(std::move(part)); }
    void pop() { parts_.pop_back(); }
    // Names the innermost part anew, once its name has been read.
    void rename(std::string part) { parts_.back() = std::move(part); }

    UserMessageError brokenFile() const;
    // For readers whose overruns are broken files at whatever part is open then.
    ByteReader::ErrorMaker errorMaker() const {
        return [this] { return brokenFile(); };
    }

private:
    std::vector<std::string> parts_;
};

// A part of the path for as long as it is being read.
class PathPart {
public:
    PathPart(IfpPath& path, std::string part) : path_(path) { path_.push(std::move(part)); }
    ~PathPart() { path_.pop(); }
    PathPart(const PathPart&) = delete;
    PathPart& operator=(const PathPart&) = delete;

private:
    IfpPath& path_;
};

// An animation or object as the path shows it: its name, or its number
// (from 1) when the name is empty.
std::string partName(const std::string& name, std::size_t number);

// Appends the key. One whose time or values are not finite, or whose time
// comes before the previous key's, is left out and fails the animation: the
// first such fault is noted in `failure` with the path open then, and the
// reading goes on, since the file's other animations can still be read. The
// later conversion relies on ordered times; equal times are allowed (real
// files carry them), and so are times before 0 (modded files carry them).
void appendKey(const IfpPath& path, std::vector<IfpKey>& keys, const IfpKey& key, std::string& failure);

}  // namespace zorvek
