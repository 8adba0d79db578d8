// Runs a row of the command table by its name, as every front end does.
#pragma once

#include <string_view>

#include "commands/table.hpp"

namespace z5::test {

inline Outcome runRow(std::string_view name, Host& host) {
    return findCommandByMenu(name)->run(host);
}

}  // namespace z5::test
