// The message list window: the messages waiting on the servers of all
// accounts, one row per message, from copies taken at each refresh. From it
// the user reads a message's header, marks messages for deletion and has
// them deleted at once, starts the mail program, asks for a check, or
// closes it with or without keeping the new-mail reminder. The main frame
// makes it on demand (at most one), owns it and refreshes it after every
// check; the window clears the frame's pointer when it is gone.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/FrameWnd.h"
#include "framework/ImageList.h"
#include "framework/StatusBar.h"
#include "framework/ToolBar.h"
#include "postling/message/Message.h"
#include "postling/model/Clock.h"
#include "postling/shell/MailListCtrl.h"

class CMainFrame;

class CMailList : public CFrameWnd {
public:
    // Row images: read, new, marked for deletion, marked while new.
    enum Image { kImageRead, kImageNew, kImageMarked, kImageMarkedNew };
    // "Mail window": the normal rectangle and whether it was maximised.
    static const char kPlacementSection[];
    // "Settings": the sort order ("column,direction") and the bars' state.
    static const char kSettingsSection[];
    static const char kSortOrderEntry[];

    // `owner`: the main frame, whose accounts and rules the window shows.
    explicit CMailList(CMainFrame* owner);
    ~CMailList() override;

    // The window from resource IDR_MAILLIST, owned by the main frame, with
    // its title; hidden until Present. False (the object the caller's) on
    // failure.
    bool Open();
    // Foreground (or its open popup), shown, focused, restored if minimised.
    void Present();

    // Copies the messages of every account again, keeps the deletion marks
    // of the messages still listed, drops the others, and keeps the
    // selected message selected.
    void RefreshList();

    // The selected row's copy, or null.
    CMessage* GetSelectedMessage();

    CMailListCtrl m_list;
    CToolBar m_toolBar;
    CStatusBar m_statusBar;
    CImageList m_images;
    // One copy per row; the rows' item data point at them.
    std::vector<std::unique_ptr<CMessage>> m_messages;
    // Closing through "Напомнить позже".
    bool m_bRemindLater = false;

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCMailList;
    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];

protected:
    // The list control first, then the frame's own routing.
    bool OnCmdMsg(UINT id, CmdAction action, CCmdUI* ui = nullptr) override;
    // A class with icon IDI_NEWMAIL, no cursor and no background; no client edge.
    bool PreCreateWindow(CREATESTRUCTA& cs) override;
    // Clears the frame's pointer, then deletes the object.
    void PostNcDestroy() override;

    // The stored placement, the list, the bars, the images, the columns
    // and the stored order.
    LRESULT OnCreate(WPARAM wParam, LPARAM lParam);
    // Stores the placement, the bars' state and the sort order.
    void OnDestroy();
    // Minimise and close tell the main frame whether the messages were seen.
    LRESULT OnSysCommand(WPARAM wParam, LPARAM lParam);
    void OnSetFocus();
    LRESULT OnContextMenu(WPARAM wParam, LPARAM lParam);
    LRESULT OnNotifyFormat(WPARAM from, LPARAM command);
    void OnListDoubleClick(NMHDR* header, LRESULT* result);

    void OnMailer();
    void OnRemindLater();
    void OnCheckAll();
    void OnCloseWindow();
    void OnHeader();
    void OnMark();
    void OnDeleteMarked();
    void OnRuleFromSender();
    void OnRuleFromSubject();
    void OnStopSounds();
    void OnAbout();
    void OnMinimize();
    void OnUpdateMailer(CCmdUI* ui);
    void OnUpdateNeedsSelection(CCmdUI* ui);
    void OnUpdateDeleteMarked(CCmdUI* ui);
    void OnUpdateRule(CCmdUI* ui);

private:
    // The row's image from its copy's flags.
    static int ImageOf(const CMessage& message);
    void CreateRule(std::int32_t field);
    void ShowContextMenu(POINT screen);
    // Posts "Drop Unread Flag" to the main frame.
    void PostDropUnreadFlag(WPARAM remindLater);

    CMainFrame* m_pOwner;
    // The show command of the first showing (from "Zoomed"), then SW_SHOW.
    int m_nShowCommand = SW_SHOW;
};
