#pragma once

#include <functional>
#include <string>

#include "engine/session.h"

namespace tumbo {

class TForm1;

// Whether this start installs the bundled base: one is given and nothing has the folder's
// name yet.
bool BaseToInstall(const std::string& bundled, const std::string& folder);

// Opens the base, `open` being told to report the install's progress, on a worker thread
// while `form`'s splash shows that progress; the window paints and answers meanwhile.
// Returns once the base is opened, even when the window was closed meanwhile.
using OpenWithProgress =
    std::function<Opened(const std::function<void(int done, int total)>& progress)>;
Opened OpenBehindSplash(TForm1& form, const OpenWithProgress& open);

}  // namespace tumbo
