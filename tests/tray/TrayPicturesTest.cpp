// The tray pictures: each icon resource of Kestiq.exe is the picture of its
// file under res/icons, at both sizes, and the six pictures differ.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/HideDlg.h"
#include "resource.h"
#include "tray/KestiqProcess.h"
#include "tray/TrayPictures.h"

namespace {

struct Picture {
    UINT id;
    const char* file;
};

const Picture kPictures[] = {
    {IDI_TRAY_GOOD, "state_good.ico"},           {IDI_TRAY_DISCONNECT, "state_disconnected.ico"},
    {IDI_TRAY_NORMAL, "state_normal.ico"},       {IDI_TRAY_WEAK, "state_weak.ico"},
    {IDI_TRAY_NO_ADAPTER, "state_no_adapter.ico"}, {IDI_TRAY_WEP_ERROR, "state_wep_error.ico"},
};

std::string IconFile(const char* name) { return std::string(KQ_SOURCE_DIR) + "/res/icons/" + name; }

TEST(TrayPictures, EachIconResourceIsItsPictureFile)
{
    HMODULE program = LoadLibraryExA(kqtest::BuiltProgram().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(program) << kqtest::BuiltProgram();
    for (int size : {16, 32}) {
        std::vector<kqtest::Pixels> seen;
        for (const Picture& p : kPictures) {
            SCOPED_TRACE(std::string(p.file) + " at " + std::to_string(size));
            HICON fromFile = (HICON)LoadImageA(nullptr, IconFile(p.file).c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE);
            HICON fromProgram = (HICON)LoadImageA(program, MAKEINTRESOURCEA(p.id), IMAGE_ICON, size, size, 0);
            ASSERT_TRUE(fromFile);
            ASSERT_TRUE(fromProgram);
            kqtest::Pixels file = kqtest::RenderIcon(fromFile, size), res = kqtest::RenderIcon(fromProgram, size);
            DestroyIcon(fromFile);
            DestroyIcon(fromProgram);
            EXPECT_TRUE(file == res) << "icon " << p.id << " is not its picture file";
            for (const kqtest::Pixels& other : seen) EXPECT_FALSE(other == file) << "two states share a picture";
            seen.push_back(file);
        }
    }
    FreeLibrary(program);
}

}  // namespace
