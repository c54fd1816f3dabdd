// What only the DLL has: its registered messages, the registry helper, and
// the code page the helpers run under.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "lumkit/LumComCtl.h"
#include "lumkit/LumMessages.h"
#include "lumkit/LumRegistry.h"

namespace {

const char kTestRoot[] = "Software\\Postling Tests\\DeleteRegTree";

bool KeyExists(const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void CreateKey(const std::string& path, const char* value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                   static_cast<DWORD>(strlen(value) + 1));
    RegCloseKey(key);
}

}  // namespace

TEST(Environment, AnsiCodePageIs1251) { EXPECT_EQ(GetACP(), 1251u); }

TEST(RegisteredMessages, ExportedIdentifiersMatchTheirNames) {
    EXPECT_GE(LUMKIT_INPLACE_EDIT_FINISHED, 0xC000u);
    EXPECT_GE(LUMKIT_DRAGDROP_FINISHED, 0xC000u);
    EXPECT_NE(LUMKIT_INPLACE_EDIT_FINISHED, LUMKIT_DRAGDROP_FINISHED);
    EXPECT_EQ(LUMKIT_INPLACE_EDIT_FINISHED,
              RegisterWindowMessageA("Varnek MFC Extension library: Inplace Edit Finished"));
    EXPECT_EQ(LUMKIT_DRAGDROP_FINISHED,
              RegisterWindowMessageA("Varnek MFC Extension library: Drag'n'Drop Operation Finished"));
}

TEST(CommonControls, VersionGate) {
    EXPECT_FALSE(IsComCtlVersionSupported(ComCtlVersion(4, 71)));
    EXPECT_TRUE(IsComCtlVersionSupported(ComCtlVersion(4, 72)));
    EXPECT_TRUE(IsComCtlVersionSupported(ComCtlVersion(6, 0)));
    EXPECT_EQ(ComCtlVersion(5, 0x10081), 0x00050081);
    // The library loaded, so this system's controls passed the gate.
    EXPECT_NE(GetModuleHandleA("COMCTL32.DLL"), nullptr);
}

TEST(DeleteRegTree, RemovesANestedTree) {
    const std::string root = kTestRoot;
    CreateKey(root + "\\A\\B\\C", "1");
    CreateKey(root + "\\A\\D", "2");
    CreateKey(root + "\\E", "3");
    ASSERT_TRUE(KeyExists(root + "\\A\\B\\C"));

    EXPECT_TRUE(DeleteRegTree(root + "\\A"));
    EXPECT_FALSE(KeyExists(root + "\\A"));
    EXPECT_TRUE(KeyExists(root + "\\E"));

    EXPECT_TRUE(DeleteRegTree(root));
    EXPECT_FALSE(KeyExists(root));
}

TEST(DeleteRegTree, MissingKeyGivesFalseAndChangesNothing) {
    const std::string root = kTestRoot;
    CreateKey(root + "\\Keep", "x");
    EXPECT_FALSE(DeleteRegTree(root + "\\Missing"));
    EXPECT_FALSE(DeleteRegTree(root + "\\Keep\\Missing\\Deeper"));
    EXPECT_TRUE(KeyExists(root + "\\Keep"));
    EXPECT_TRUE(DeleteRegTree(root));
}
