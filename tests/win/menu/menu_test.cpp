// The framework's menus: the handle map, the owner-draw dispatch of a window to the
// object of a menu, and the command-update step.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cmd_ui.h"
#include "menu.h"
#include "menu_test_support.h"
#include "owner_draw_menu.h"
#include "wnd.h"

namespace {

using namespace menutest;

// Records the owner-draw requests that reach it.
class RecordingMenu : public CMenu {
 public:
  std::vector<ULONG_PTR> measured, drawn;
  void MeasureItem(MEASUREITEMSTRUCT* item) override {
    measured.push_back(item->itemData);
    item->itemWidth = 77;
  }
  void DrawItem(const DRAWITEMSTRUCT* item) override { drawn.push_back(item->itemData); }
};

TEST(MenuTest, HandleMapKnowsTheOneObjectOfAMenuUntilItGoes) {
  HMENU handle = nullptr;
  {
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    handle = menu.m_hMenu;
    EXPECT_EQ(CMenu::FromHandlePermanent(handle), &menu);
    EXPECT_FALSE(menu.CreatePopupMenu());  // already has one

    CMenu other;
    EXPECT_FALSE(other.Attach(handle));
    EXPECT_EQ(menu.Detach(), handle);
    EXPECT_EQ(CMenu::FromHandlePermanent(handle), nullptr);
    EXPECT_TRUE(other.Attach(handle));
    EXPECT_EQ(CMenu::FromHandlePermanent(handle), &other);
    EXPECT_TRUE(IsMenu(handle));
  }
  // The object that held it last destroyed it.
  EXPECT_FALSE(IsMenu(handle));
  EXPECT_EQ(CMenu::FromHandlePermanent(handle), nullptr);
}

TEST(MenuTest, ItemsKeepTheirUtf8TextsAndIds) {
  CMenu menu;
  ASSERT_TRUE(menu.CreatePopupMenu());
  EXPECT_TRUE(menu.AppendMenuUtf8(MF_STRING, ID_ENCRYPT, "加密"));
  EXPECT_TRUE(menu.AppendMenu(MF_SEPARATOR));
  EXPECT_TRUE(menu.InsertMenu(0, MF_BYPOSITION | MF_STRING, ID_DECRYPT, L"解密"));
  ASSERT_EQ(menu.GetMenuItemCount(), 3);
  EXPECT_EQ(menu.GetMenuString(0, MF_BYPOSITION), L"解密");
  EXPECT_EQ(menu.GetMenuString(ID_ENCRYPT, MF_BYCOMMAND), L"加密");
  EXPECT_EQ(menu.GetMenuItemID(1), ID_ENCRYPT);
  EXPECT_EQ(menu.GetMenuItemID(2), 0u);
  EXPECT_EQ(menu.GetMenuString(2, MF_BYPOSITION), L"");
  EXPECT_TRUE(menu.DestroyMenu());
  EXPECT_EQ(menu.m_hMenu, nullptr);
}

// ---------------------------------------------------------------------------------------
// Owner-draw dispatch

class OwnerWindow : public CWnd {};

// An owner that draws items itself.
class DrawingOwner : public CWnd {
 public:
  int draws = 0;

 protected:
  LRESULT OnDrawItem(WPARAM, LPARAM) { return ++draws, TRUE; }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(DrawingOwner, CWnd)
  ON_MESSAGE(WM_DRAWITEM, &DrawingOwner::OnDrawItem)
END_MESSAGE_MAP()

class DispatchTest : public testing::Test {
 protected:
  void SetUp() override {
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(owner.SubclassWindow(window));
    ownerWindow = window;
    // root: item 1 "a" (data 11), a sub-menu without object holding item 2 (data 12) and a
    // sub-menu with its own object holding item 3 (data 13).
    ASSERT_TRUE(root.CreatePopupMenu());
    HMENU plain = CreatePopupMenu();
    ASSERT_TRUE(inner.CreatePopupMenu());
    AppendMenuW(root, MF_OWNERDRAW, 1, reinterpret_cast<LPCWSTR>(11));
    AppendMenuW(plain, MF_OWNERDRAW, 2, reinterpret_cast<LPCWSTR>(12));
    AppendMenuW(inner, MF_OWNERDRAW, 3, reinterpret_cast<LPCWSTR>(13));
    AppendMenuW(root, MF_POPUP, reinterpret_cast<UINT_PTR>(plain), L"plain");
    AppendMenuW(root, MF_POPUP, reinterpret_cast<UINT_PTR>(inner.m_hMenu), L"inner");
    plainMenu = plain;
  }
  void TearDown() override {
    inner.Detach();  // destroyed with the root
    DestroyWindow(ownerWindow);
  }
  LRESULT Measure(UINT id, ULONG_PTR data, UINT type = ODT_MENU) {
    request = MeasureRequest(id, data);
    request.CtlType = type;
    return SendMessageW(ownerWindow, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&request));
  }
  LRESULT Draw(HMENU menu, ULONG_PTR data, UINT type = ODT_MENU) {
    DRAWITEMSTRUCT draw = {};
    draw.CtlType = type;
    draw.hwndItem = reinterpret_cast<HWND>(menu);
    draw.itemData = data;
    return SendMessageW(ownerWindow, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
  }
  OwnerWindow owner;
  HWND ownerWindow = nullptr;
  RecordingMenu root, inner;
  HMENU plainMenu = nullptr;
  MEASUREITEMSTRUCT request = {};
};

TEST_F(DispatchTest, RequestsReachTheObjectOfTheMenuThatHoldsTheItem) {
  EXPECT_EQ(Measure(1, 11), TRUE);
  EXPECT_EQ(request.itemWidth, 77u);
  EXPECT_EQ(Measure(2, 12), TRUE);  // the plain sub-menu has no object: its enclosing one
  EXPECT_EQ(Measure(3, 13), TRUE);
  EXPECT_EQ(root.measured, (std::vector<ULONG_PTR>{11, 12}));
  EXPECT_EQ(inner.measured, (std::vector<ULONG_PTR>{13}));

  EXPECT_EQ(Draw(root, 11), TRUE);
  EXPECT_EQ(Draw(plainMenu, 12), TRUE);
  EXPECT_EQ(Draw(inner, 13), TRUE);
  EXPECT_EQ(root.drawn, (std::vector<ULONG_PTR>{11, 12}));
  EXPECT_EQ(inner.drawn, (std::vector<ULONG_PTR>{13}));
}

TEST_F(DispatchTest, OtherRequestsAndTheWindowsOwnHandlerAreLeftAlone) {
  EXPECT_EQ(Measure(1, 11, ODT_BUTTON), 0);
  EXPECT_EQ(Measure(1, 99), 0);  // no such item
  EXPECT_EQ(Measure(4, 11), 0);  // the data of item 1, another id
  HMENU stranger = CreatePopupMenu();
  EXPECT_EQ(Draw(stranger, 11), 0);
  DestroyMenu(stranger);
  EXPECT_EQ(Draw(root, 11, ODT_LISTBOX), 0);
  EXPECT_TRUE(root.measured.empty());
  EXPECT_TRUE(root.drawn.empty());

  DrawingOwner drawing;
  HWND window = owner.UnsubclassWindow();
  ASSERT_TRUE(drawing.SubclassWindow(window));
  EXPECT_EQ(Draw(root, 11), TRUE);
  EXPECT_EQ(drawing.draws, 1);
  EXPECT_TRUE(root.drawn.empty());
  drawing.UnsubclassWindow();
  owner.SubclassWindow(window);
}

// ---------------------------------------------------------------------------------------
// Command-update step

constexpr UINT ID_HANDLED = 100, ID_UNHANDLED = 101, ID_VETOED = 102, ID_CHECKED = 103,
               ID_FORCED = 104, ID_NESTED = 105;

class CommandTarget : public CWnd {
 public:
  int updates = 0;

 protected:
  void OnHandled() {}
  void OnVetoed() {}
  void OnNested() {}
  void OnUpdateVetoed(CCmdUI* item) { ++updates, item->Enable(FALSE); }
  void OnUpdateChecked(CCmdUI* item) { ++updates, item->SetCheck(1); }
  void OnUpdateForced(CCmdUI* item) {
    ++updates;
    item->Enable(TRUE);
    item->SetTextUtf8("已改名");
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CommandTarget, CWnd)
  ON_COMMAND(ID_HANDLED, &CommandTarget::OnHandled)
  ON_COMMAND(ID_VETOED, &CommandTarget::OnVetoed)
  ON_COMMAND(ID_NESTED, &CommandTarget::OnNested)
  ON_UPDATE_COMMAND_UI(ID_VETOED, &CommandTarget::OnUpdateVetoed)
  ON_UPDATE_COMMAND_UI(ID_CHECKED, &CommandTarget::OnUpdateChecked)
  ON_UPDATE_COMMAND_UI(ID_FORCED, &CommandTarget::OnUpdateForced)
END_MESSAGE_MAP()

bool Disabled(HMENU menu, UINT id) {
  return (GetMenuState(menu, id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) == (MF_GRAYED | MF_DISABLED);
}
bool Enabled(HMENU menu, UINT id) { return (GetMenuState(menu, id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) == 0; }
bool Checked(HMENU menu, UINT id) { return (GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED) != 0; }

// The items of the test menu: every command starts greyed so that enabling shows.
void FillCommandMenu(CMenu& menu) {
  ASSERT_TRUE(menu.CreatePopupMenu());
  for (UINT id : {ID_HANDLED, ID_UNHANDLED, ID_VETOED, ID_CHECKED, ID_FORCED})
    menu.AppendMenu(MF_STRING | MF_GRAYED, id, L"命令");
  menu.EnableMenuItem(ID_UNHANDLED, MF_BYCOMMAND | MF_ENABLED);
  menu.AppendMenu(MF_SEPARATOR | MF_GRAYED);
  HMENU sub = CreatePopupMenu();
  AppendMenuW(sub, MF_STRING | MF_GRAYED, ID_NESTED, L"内层");
  menu.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(sub), L"子菜单");
}

TEST(CommandUpdateTest, UpdateHandlersDecideAndOtherwiseTheCommandHandlersDo) {
  CommandTarget target;
  for (bool converted : {false, true}) {
    SCOPED_TRACE(converted ? "owner-drawn" : "plain strings");
    COwnerDrawMenu menu;
    FillCommandMenu(menu);
    if (converted) menu.ConvertToOwnerDraw(&menu);
    menu.UpdateCommandStates(&menu, &target);

    EXPECT_TRUE(Enabled(menu, ID_HANDLED));
    EXPECT_TRUE(Disabled(menu, ID_UNHANDLED));
    EXPECT_TRUE(Disabled(menu, ID_VETOED));   // the update handler wins over the command handler
    EXPECT_TRUE(Disabled(menu, ID_CHECKED));  // checked, but nobody handles the command
    EXPECT_TRUE(Checked(menu, ID_CHECKED));
    EXPECT_TRUE(Enabled(menu, ID_FORCED));
    EXPECT_TRUE(Enabled(menu, ID_NESTED));    // inside the sub-menu
    EXPECT_FALSE(Checked(menu, ID_HANDLED));
    // The separator is not a command: left greyed.
    EXPECT_EQ(GetMenuState(menu, 5, MF_BYPOSITION) & MF_GRAYED, static_cast<UINT>(MF_GRAYED));

    // The new text goes where the item's text is drawn from.
    if (converted) {
      auto* record = reinterpret_cast<const MenuItemRecord*>(DataOf(menu, 4));
      ASSERT_NE(record, nullptr);
      EXPECT_STREQ(record->szText, L"已改名");
      EXPECT_TRUE(TypeOf(menu, 4) & MFT_OWNERDRAW);
    } else {
      EXPECT_EQ(menu.GetMenuString(ID_FORCED, MF_BYCOMMAND), L"已改名");
    }
  }
  EXPECT_EQ(target.updates, 6);
}

TEST(CommandUpdateTest, RealCommandsNeverReachUpdateHandlers) {
  CommandTarget target;
  LRESULT result = 0;
  // A command from a control with notification code 0xFFFF is still a command.
  EXPECT_FALSE(target.OnWndMsg(WM_COMMAND, MAKEWPARAM(ID_CHECKED, 0xFFFF), 0, &result));
  EXPECT_FALSE(target.OnWndMsg(WM_COMMAND, MAKEWPARAM(ID_CHECKED, 0), 0, &result));
  EXPECT_TRUE(target.OnWndMsg(WM_COMMAND, MAKEWPARAM(ID_HANDLED, 0), 0, &result));
  EXPECT_EQ(target.updates, 0);
  EXPECT_TRUE(AfxHasCommandHandler(&target, ID_VETOED));
  EXPECT_FALSE(AfxHasCommandHandler(&target, ID_CHECKED));
}

}  // namespace
