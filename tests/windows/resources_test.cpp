// The resources that the product carries, read back from the linked image:
// this test program links the same resource script as cascade.scr.
#include "shell/resource_ids.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

std::string resourceText(LPCSTR name, LPCSTR type)
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, name, type);
    if (!found)
        return std::string();
    const char* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
    return std::string(data, SizeofResource(module, found));
}

TEST(Resources, NameIconDialogVersionAndManifest)
{
    HMODULE module = GetModuleHandleA(nullptr);
    char name[64] = {};
    EXPECT_EQ(7, LoadStringA(module, DESCRIPTION_STRING_ID, name, sizeof name));
    EXPECT_STREQ("Cascade", name);

    // The icon directory offers 16, 32 and 48 pixel images.
    HRSRC directory = FindResourceA(module, MAKEINTRESOURCEA(SAVER_ICON_ID), MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
    ASSERT_NE(nullptr, directory);
    PBYTE bits = static_cast<PBYTE>(LockResource(LoadResource(module, directory)));
    for (int size : {16, 32, 48}) {
        SCOPED_TRACE(size);
        EXPECT_NE(0, LookupIconIdFromDirectoryEx(bits, TRUE, size, size, LR_DEFAULTCOLOR));
        HANDLE icon = LoadImageA(module, MAKEINTRESOURCEA(SAVER_ICON_ID), IMAGE_ICON, size, size, 0);
        EXPECT_NE(nullptr, icon);
    }

    EXPECT_NE(nullptr, FindResourceA(module, MAKEINTRESOURCEA(CONFIG_DIALOG_ID), MAKEINTRESOURCEA(5)));  // RT_DIALOG
    EXPECT_NE(nullptr, FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16)));                // RT_VERSION

    // Per-monitor (v2) awareness from Windows 10 on, so that Windows scales
    // no monitor's picture; Windows before 10 reads only dpiAware: system
    // awareness there. (Wine 8 reports per-monitor awareness for either.)
    const std::string manifest = resourceText(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
    EXPECT_NE(std::string::npos, manifest.find(">true</dpiAware>"));
    EXPECT_NE(std::string::npos,
              manifest.find("<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">"
                            "PerMonitorV2, PerMonitor</dpiAwareness>"));
}

TEST(Resources, SettingsDialogSaysThereAreNoSettingsAndOffersOkAndCancel)
{
    struct Inspect {
        static INT_PTR CALLBACK proc(HWND dialog, UINT message, WPARAM, LPARAM)
        {
            if (message != WM_INITDIALOG)
                return FALSE;
            char text[128] = {};
            std::string all;
            for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                GetWindowTextA(child, text, sizeof text);
                all += std::string(text) + "|";
            }
            const bool ok = GetDlgItem(dialog, IDOK) && GetDlgItem(dialog, IDCANCEL) &&
                            all.find("Cascade has no settings.") != std::string::npos;
            EndDialog(dialog, ok ? 7 : 3);
            return TRUE;
        }
    };
    EXPECT_EQ(7, DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(CONFIG_DIALOG_ID), nullptr,
                                 Inspect::proc, 0));
}

} // namespace
