// A supplicant library of the robustness program: every call of the
// library's table answers from the input's generator (a status, an "ok"
// flag, texts of lying lengths) and is written to a call log.  Installed in
// place of the loaded stand-in's table entries while a reader runs, put back
// afterwards.
#pragma once

#include <string>
#include <vector>

#include "Robust.h"
#include "auth/AcAuthLibrary.h"

namespace robust {

struct LibraryCall {
    std::string name;
    DWORD id = 0;
    AC_STATUS status = 0;
};

struct FakeLibraryState {
    Rng* rng = nullptr;
    bool scripted = false;                 // statuses from `script` (in order) instead of the generator
    std::vector<AC_STATUS> script;
    size_t next = 0;
    std::vector<LibraryCall> calls;
    // What the program handed over.
    std::string passphrase;                // acRsnPskCreate
    Bytes binaryKey;                       // acRsnBinPskCreate
    Bytes pacKey, pacOpaque;               // acEapFASTPacCreate
    int pacCreated = 0;
    // Answers of the buffer readers: the bytes, and the length reported
    // (which may lie); -1 lets the generator choose.
    Bytes aid;
    int aidLength = -1;
    Bytes pacParts[4];
    int pacLengths[4] = { -1, -1, -1, -1 };
    // When the generator answers, the share of statuses that are not 0 (per 16).
    unsigned failShare = 3;
};

// The state the fake answers from; Install points the table at it.
FakeLibraryState& Fake();

class FakeLibrary {
public:
    // Loads the stand-in (the program asks whether a library is loaded) and
    // puts the fake's calls in its table.
    FakeLibrary();
    ~FakeLibrary();
    FakeLibrary(const FakeLibrary&) = delete;
    FakeLibrary& operator=(const FakeLibrary&) = delete;
    bool ok() const { return m_ok; }
    // Fresh state for one input.
    FakeLibraryState& Reset(Rng& rng);

private:
    AcAuthLibrary m_saved;
    bool m_ok = false;
};

// The status the next call gets.
AC_STATUS NextStatus(const char* name, DWORD id);

}  // namespace robust
