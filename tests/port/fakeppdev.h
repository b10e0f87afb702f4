// A PpdevSystem that remembers every call and answers from a script.
#pragma once

#include <linux/ppdev.h>
#include <sys/ioctl.h>

#include <string>
#include <vector>

#include "port/ppdevport.h"

namespace tarvel::testing {

struct PpdevCall {
    std::string what;  // "open /dev/parport0", "PPCLAIM", "PPWDATA", "close", ...
    int arg = -1;      // the byte or int passed, when the call passes one
    bool operator==(const PpdevCall&) const = default;
};

struct FakePpdevState {
    std::vector<PpdevCall> calls;
    std::vector<ParportEntry> ports;
    int openErrno = 0;   // open fails with this errno when not 0
    int claimErrno = 0;  // PPCLAIM fails with this errno when not 0
    int writeErrno = 0;  // PPWDATA fails with this errno when not 0
    unsigned char status = 0;
};

class FakePpdevSystem final : public PpdevSystem {
public:
    explicit FakePpdevSystem(FakePpdevState& state) : s_(state) {}

    int openDevice(const std::string& path) override {
        s_.calls.push_back({"open " + path});
        return s_.openErrno ? -s_.openErrno : 7;
    }
    int control(int, unsigned long request, void* arg) override {
        switch (request) {
            case PPEXCL: s_.calls.push_back({"PPEXCL"}); return 0;
            case PPCLAIM: s_.calls.push_back({"PPCLAIM"}); return -s_.claimErrno;
            case PPRELEASE: s_.calls.push_back({"PPRELEASE"}); return 0;
            case PPDATADIR: s_.calls.push_back({"PPDATADIR", *static_cast<int*>(arg)}); return 0;
            case PPWDATA: s_.calls.push_back({"PPWDATA", *static_cast<unsigned char*>(arg)}); return -s_.writeErrno;
            case PPRSTATUS:
                s_.calls.push_back({"PPRSTATUS"});
                *static_cast<unsigned char*>(arg) = s_.status;
                return 0;
            default: s_.calls.push_back({"unexpected ioctl"}); return -25;
        }
    }
    void closeDevice(int) override { s_.calls.push_back({"close"}); }
    std::vector<ParportEntry> parports() override { return s_.ports; }

private:
    FakePpdevState& s_;
};

}  // namespace tarvel::testing
