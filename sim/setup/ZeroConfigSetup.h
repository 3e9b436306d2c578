// The set-up tool's commands for the Zero Configuration service stand-in.
#pragma once

#include <windows.h>
#include <map>
#include <string>
#include <vector>

namespace kqsetup {

extern const char kWzcUsage[];

// positional[0] is the subcommand; adapterGuid names the interface of
// "wzcsvc interface" (empty when none is known).
int WzcCommand(const std::vector<std::string>& positional, const std::map<std::string, std::string>& options,
               const std::string& adapterGuid);

}  // namespace kqsetup
