#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/file_calls.h"

namespace tumbo {

// "opt.tmb.tmp-" and six letters or digits: a name no one else is using, so a planted
// link or another writer's file is never written through.
std::string TemporaryNameFor(const std::string& path);

// The one fixed name beside a file that must not exist yet ("7.dlg.tmp"): its name is
// free, so a crash's leftover is simply removed, and no folder of many dialogues is listed.
std::string NewFileTemporaryFor(const std::string& path);

// Removes what a crash left of the program's writes in `folder` ("opt.tmb.tmp-Ab3dEf",
// "7.dlg.tmp"): every temporary of a file name `isOurs` accepts. Never throws.
void RemoveTemporariesIn(const std::string& folder,
                         const std::function<bool(std::string_view fileName)>& isOurs,
                         FileCalls& calls = SystemFileCalls()) noexcept;

}  // namespace tumbo
