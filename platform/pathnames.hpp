// Bare names from paths: the archive list names its archive with these, the
// setup decompiler its folder and setup.
#pragma once

#include <string>

namespace z5 {

// Keeps the last part of a path without its last four characters (the file
// name without a three-letter extension). A last part shorter than four
// characters is a CommandFailure.
class GetTrackName {
public:
    void GetName(std::string& StrLine) const;
};

// Keeps the last part of a path as it is (a folder path gives the name of
// its last folder; a path ending in a separator gives the empty text).
class GetTrackName2 {
public:
    void GetName(std::string& StrLine) const;
};

}  // namespace z5
