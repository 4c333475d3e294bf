// German texts for the operating system's error numbers that users meet when opening
// files.
// Layer: utilities.
#pragma once

#include <QString>

namespace util {

QString systemErrorText(int errnum);

}  // namespace util
