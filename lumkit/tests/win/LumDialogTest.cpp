// LUMKIT's dialog base, dialog toolbar and property sheet in real windows.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "framework/tests/win/PumpFor.h"
#include "framework/tests/win/MessageBoxAnswerer.h"
#include "lumkit/LumDialog.h"
#include "lumkit/LumDialogToolbar.h"
#include "lumkit/LumFlatButton.h"
#include "lumkit/LumPropertySheet.h"

namespace {

constexpr UINT kDialog = 400;
constexpr UINT kPage = 401;
constexpr UINT kToolbar = 300;
constexpr int kToolbarStatic = 1000;
constexpr int kNameEdit = 1001;
constexpr int kActionButton = 1002;
constexpr UINT kNeedUserName = 10004;

void Click(HWND window) {
    RECT rect;
    GetClientRect(window, &rect);
    const LPARAM at = MAKELPARAM(rect.right / 2, rect.bottom / 2);
    SendMessageA(window, WM_MOUSEMOVE, 0, at);
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(window, WM_LBUTTONUP, 0, at);
}

class TestDialog : public CLumDialog {
public:
    TestDialog() : CLumDialog(kDialog) {}

    bool OnInitDialog() override {
        CLumDialog::OnInitDialog();
        m_toolbarLoaded = m_toolbar.LoadToolbar(MAKEINTRESOURCEA(kToolbar));
        return true;
    }
    void DoDataExchange(CDataExchange* dx) override {
        CLumDialog::DoDataExchange(dx);
        DDX_Control(dx, kToolbarStatic, m_toolbar);
        DDX_Text(dx, kNameEdit, m_name);
        if (dx->m_bSaveAndValidate && m_name.empty()) FailValidation(kNameEdit, kNeedUserName);
    }
    const LumContextMenus& Menus() const { return m_contextMenus; }

    CLumDialogToolbar m_toolbar;
    bool m_toolbarLoaded = false;
    std::string m_name;
    int m_added = 0;
    int m_actionUpdates = 0;
    bool m_removeEnabled = false;

    const MessageMap* GetMessageMap() const override { return &messageMap; }
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];

private:
    void OnAdd() { ++m_added; }
    void OnRemove() {}
    void OnUpdateRemove(CCmdUI* ui) { ui->Enable(m_removeEnabled); }
    void OnUpdateAction(CCmdUI* ui) {
        ++m_actionUpdates;
        ui->Enable(true);
    }
};

const MessageMapEntry TestDialog::messageEntries[] = {
    On::Command<&TestDialog::OnAdd>(101),
    On::Command<&TestDialog::OnRemove>(102),
    On::Update<&TestDialog::OnUpdateRemove>(102),
    On::Update<&TestDialog::OnUpdateAction>(kActionButton),
    On::End(),
};
const MessageMap TestDialog::messageMap = {&CLumDialog::messageMap, TestDialog::messageEntries};

TEST(LumDialog, ToolbarFromResourceHasTwoButtonsAndASeparatorAndItsClicksReachTheDialog) {
    TestDialog dialog;
    ASSERT_TRUE(dialog.Create(kDialog));
    dialog.ShowWindow(SW_SHOW);
    Pump();
    ASSERT_TRUE(dialog.m_toolbarLoaded);
    ASSERT_EQ(dialog.m_toolbar.GetButtonCount(), 2);
    EXPECT_EQ(dialog.m_toolbar.GetSeparatorCount(), 1);
    CLumFlatButton* add = dialog.m_toolbar.GetButton(0);
    CLumFlatButton* remove = dialog.m_toolbar.GetButton(1);
    EXPECT_EQ(add->GetDlgCtrlID(), 101u);
    EXPECT_EQ(remove->GetDlgCtrlID(), 102u);
    RECT left, right;
    add->GetWindowRect(&left);
    remove->GetWindowRect(&right);
    EXPECT_LT(left.right, right.left);  // the separator lies between them

    // The dialog's update handler decides the button; one without any is disabled.
    dialog.UpdateControls();
    EXPECT_FALSE(remove->IsWindowEnabled());
    EXPECT_TRUE(add->IsWindowEnabled());
    dialog.m_removeEnabled = true;
    dialog.UpdateControls();
    EXPECT_TRUE(remove->IsWindowEnabled());

    Click(add->m_hWnd);
    Pump();
    EXPECT_EQ(dialog.m_added, 1);

    CLumDialogToolbar missing;
    EXPECT_FALSE(missing.LoadToolbar(MAKEINTRESOURCEA(399)));  // no window, no resource: false, no crash
    dialog.DestroyWindow();
}

TEST(LumDialog, FailedValidationShowsTheMessageAndKeepsTheDialogWithFocusOnTheControl) {
    TestDialog dialog;
    ASSERT_TRUE(dialog.Create(kDialog));
    dialog.ShowWindow(SW_SHOW);
    Pump();
    {
        MessageBoxAnswerer answerer(GetCurrentThreadId());
        PostMessageA(dialog.m_hWnd, WM_COMMAND, IDOK, 0);
        for (int i = 0; i < 200 && !answerer.Answered(); ++i) Pump(10);
        Pump();
        EXPECT_EQ(answerer.Text(), "\xcd\xe5\xee\xe1\xf5\xee\xe4\xe8\xec\xee \xf3\xea\xe0\xe7\xe0\xf2\xfc \xe8\xec\xff "
                                   "\xef\xee\xeb\xfc\xe7\xee\xe2\xe0\xf2\xe5\xeb\xff!");
    }
    ASSERT_TRUE(IsWindow(dialog.m_hWnd));
    EXPECT_EQ(GetFocus(), dialog.GetDlgItem(kNameEdit));

    // With a name the same OK ends the dialog.
    SetWindowTextA(dialog.GetDlgItem(kNameEdit), "user");
    SendMessageA(dialog.m_hWnd, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_EQ(dialog.m_name, "user");
}

TEST(LumDialog, UpdateHandlersRunOnlyWhileTheDialogIsVisible) {
    TestDialog dialog;
    ASSERT_TRUE(dialog.Create(kDialog));
    dialog.UpdateControls();
    EXPECT_EQ(dialog.m_actionUpdates, 0);
    dialog.ShowWindow(SW_SHOW);
    Pump();
    const int shown = dialog.m_actionUpdates;
    dialog.UpdateControls();
    EXPECT_EQ(dialog.m_actionUpdates, shown + 1);
    // A click of a dialog button updates the controls again.
    SendMessageA(dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(kActionButton, BN_CLICKED),
                 reinterpret_cast<LPARAM>(dialog.GetDlgItem(kActionButton)));
    EXPECT_GT(dialog.m_actionUpdates, shown + 1);  // the command's own guard asks too
    dialog.DestroyWindow();
}

TEST(LumDialog, ASecondMenuForAControlReplacesTheFirst) {
    TestDialog dialog;
    dialog.AddContextMenu(kNameEdit, 200, -1);
    dialog.AddContextMenu(kActionButton, "named", 7);
    dialog.AddContextMenu(kNameEdit, 201, 5002);
    ASSERT_EQ(dialog.Menus().Count(), 2u);
    const LumContextMenu* entry = dialog.Menus().Find(kNameEdit);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->menuName, MAKEINTRESOURCEA(201));
    EXPECT_EQ(entry->defaultItem, 5002);
    EXPECT_STREQ(dialog.Menus().Find(kActionButton)->menuName, "named");
}

class MissingDialog : public CLumDialog {
public:
    MissingDialog() : CLumDialog(499) {}
};

TEST(LumDialog, AMissingTemplateMakesNoWindow) {
    MissingDialog dialog;
    EXPECT_FALSE(dialog.Create(499));
    EXPECT_EQ(dialog.DoModal(), -1);
}

class TestPage : public CLumPropertyPage {
public:
    TestPage() : CLumPropertyPage(kPage, 0) {}
    bool OnSetActive() override {
        ++m_activations;
        return CLumPropertyPage::OnSetActive();
    }
    bool OnApply() override {
        ++m_applied;
        return CLumPropertyPage::OnApply();
    }
    int m_activations = 0;
    int m_applied = 0;
};

class TestSheet : public CLumPropertySheet {
public:
    TestSheet() : CLumPropertySheet("\xcd\xe0\xf1\xf2\xf0\xee\xe9\xea\xe8") {}  // "Настройки"
};

TEST(LumPropertySheet, ShowsTheContextHelpButtonAndEndsThroughItsPages) {
    TestPage page;
    TestSheet sheet;
    sheet.AddPage(&page);
    ASSERT_TRUE(sheet.Create());
    Pump(200);
    EXPECT_TRUE(sheet.GetExStyle() & WS_EX_CONTEXTHELP);
    ASSERT_NE(page.m_hWnd, nullptr);  // the page's object is attached to the window the system made
    EXPECT_EQ(sheet.GetActivePage(), &page);
    EXPECT_EQ(page.m_activations, 1);
    sheet.EndDialog(IDOK);
    Pump();
    EXPECT_EQ(page.m_applied, 1);
    EXPECT_EQ(sheet.m_hWnd, nullptr);  // a modeless sheet goes when the user closes it
}

}  // namespace
