// The emulated host's menu bar: building it from the registered menus, opening a menu, its
// picture, and running the item a user clicks.
#include "windows/host_windows.h"

#include <string>
#include <vector>

#include "app/host_app.h"
#include "json_line.h"
#include "windows/screen_capture.h"

namespace {

constexpr int kFirstItemId = 0x1000;

}  // namespace

void HostWindows::rebuildMenuBar() {
  if (!mFrame) return;
  HMENU bar = CreateMenu();
  mPopups.clear();
  mItems.clear();
  const std::vector<Menu>& menus = mApp->menus().menus();
  for (size_t m = 0; m < menus.size(); ++m) {
    HMENU popup = CreatePopupMenu();
    for (size_t i = 0; i < menus[m].items.size(); ++i) {
      mItems.push_back({static_cast<int>(m), static_cast<int>(i), true});
      AppendMenuW(popup, MF_STRING, kFirstItemId + mItems.size() - 1,
                  toWide(menus[m].items[i].label).c_str());
    }
    AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup),
                toWide(menus[m].label).c_str());
    mPopups.push_back(popup);
  }
  HMENU old = GetMenu(mFrame);
  SetMenu(mFrame, bar);
  if (old) DestroyMenu(old);
  mBar = bar;
  DrawMenuBar(mFrame);
  std::string order;
  for (const Menu& m : menus) order += (order.empty() ? "" : ",") + m.label;
  mApp->journal().write(JsonLine("menubar").str("menus", order));
}
void HostWindows::openMenu(int menuIndex, const std::string& why) {
  const std::vector<Menu>& menus = mApp->menus().menus();
  if (menuIndex < 0 || menuIndex >= static_cast<int>(menus.size())) return;
  HMENU popup = mPopups[menuIndex];
  for (size_t k = 0; k < mItems.size(); ++k) {
    ItemRef& ref = mItems[k];
    if (ref.menu != menuIndex) continue;
    const MenuItem& item = menus[menuIndex].items[ref.item];
    UINT id = static_cast<UINT>(kFirstItemId + k);
    if (!item.cmd) continue;
    uiCmdAccessState access = mApp->commands().access(item.cmd, ACCESS_MODE_BLIND, why);
    bool checked = mApp->commands().value(item.cmd, why);
    bool visible = access >= ACCESS_UNAVAILABLE;
    ref.enabled = access == ACCESS_AVAILABLE;
    // Invisible and removed commands leave the menu; they come back when offered again.
    RemoveMenu(popup, id, MF_BYCOMMAND);
    if (visible) {
      UINT flags = MF_STRING | (ref.enabled ? MF_ENABLED : MF_GRAYED) |
                   (checked ? MF_CHECKED : MF_UNCHECKED);
      UINT pos = 0;
      for (size_t e = 0; e < k; ++e)
        if (mItems[e].menu == menuIndex &&
            GetMenuState(popup, kFirstItemId + e, MF_BYCOMMAND) != static_cast<UINT>(-1))
          ++pos;
      InsertMenuW(popup, pos, MF_BYPOSITION | flags, id, toWide(item.label).c_str());
    }
    mApp->journal().write(JsonLine("menu_state")
                              .str("menu", menus[menuIndex].name)
                              .str("item", item.name)
                              .num("access", access)
                              .flag("enabled", ref.enabled)
                              .flag("visible", visible)
                              .flag("checked", checked));
  }
}
namespace {

// The open menu's screenshot, taken from a timer inside the menu's own modal loop.
struct MenuCapture {
  HWND frame, dialog;
  std::string path, error;
  int width = 0, height = 0;
  bool taken = false, ok = false;
};
MenuCapture* sMenuCapture = nullptr;

void CALLBACK captureMenuTimer(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  MenuCapture* c = sMenuCapture;
  if (!c || c->taken) return;
  c->taken = true;
  c->ok = ScreenCapture::capture(c->frame, c->dialog, c->path, &c->width, &c->height, &c->error);
  EndMenu();
}

}  // namespace

bool HostWindows::captureOpenMenu(int menuIndex, const std::string& path, int* width, int* height,
                                  std::string* error) {
  if (menuIndex < 0 || menuIndex >= static_cast<int>(mPopups.size())) {
    *error = "no such menu";
    return false;
  }
  openMenu(menuIndex, "menu_open");
  RECT item = {};
  if (!GetMenuItemRect(mFrame, mBar, static_cast<UINT>(menuIndex), &item)) {
    *error = "the menu bar has no item at position " + std::to_string(menuIndex);
    return false;
  }
  MenuCapture capture;
  capture.frame = mFrame;
  capture.dialog = mDialog;
  capture.path = path;
  sMenuCapture = &capture;
  // The menu's window is drawn by then; the timer runs inside the menu's modal loop.
  UINT_PTR timer = SetTimer(nullptr, 0, 500, captureMenuTimer);
  SetForegroundWindow(mFrame);
  TrackPopupMenu(mPopups[menuIndex], TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_NONOTIFY,
                 item.left, item.bottom, 0, mFrame, nullptr);
  KillTimer(nullptr, timer);
  sMenuCapture = nullptr;
  if (!capture.taken) {
    *error = "the menu did not open";
    return false;
  }
  if (!capture.ok) {
    *error = capture.error;
    return false;
  }
  *width = capture.width;
  *height = capture.height;
  return true;
}
bool HostWindows::clickItem(int menuIndex, int itemIndex, std::string* error) {
  openMenu(menuIndex, "click");
  for (size_t k = 0; k < mItems.size(); ++k) {
    if (mItems[k].menu != menuIndex || mItems[k].item != itemIndex) continue;
    if (!mItems[k].enabled) {
      *error = "menu item is not available";
      mApp->journal().write(JsonLine("menu_click")
                                .num("menu", menuIndex)
                                .num("item", itemIndex)
                                .flag("enabled", false));
      return false;
    }
    PostMessageW(mFrame, WM_COMMAND, MAKEWPARAM(kFirstItemId + k, 0), 0);
    return true;
  }
  *error = "no such menu item";
  return false;
}
void HostWindows::onCommand(int id) {
  size_t k = static_cast<size_t>(id - kFirstItemId);
  if (id < kFirstItemId || k >= mItems.size()) return;
  const Menu& menu = mApp->menus().menus()[mItems[k].menu];
  const MenuItem& item = menu.items[mItems[k].item];
  mApp->journal().write(
      JsonLine("menu_click").str("menu", menu.name).str("item", item.name).flag("enabled", true));
  if (item.cmd) mApp->commands().invoke(item.cmd, "menu");
}
