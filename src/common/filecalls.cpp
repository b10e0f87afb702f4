// The writers' system calls, alone in this file so that a test program can define
// fileCalls() itself and link a failing disk in place of the real one.
#include "common/files.h"

namespace tarvel {

FileCalls& fileCalls() { return systemFileCalls(); }

}  // namespace tarvel
