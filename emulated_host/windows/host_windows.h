// The host's real Win32 windows: the main frame with its menu bar, model tree, list, toolbar and
// graphics area (with the "PGLWindow" several levels down), and a floating dialog.
#ifndef KX_EMULATED_HOST_HOST_WINDOWS_H
#define KX_EMULATED_HOST_HOST_WINDOWS_H

#include <windows.h>

#include <string>
#include <vector>

#include "windows/control_gallery.h"

class HostApp;

class HostWindows {
 public:
  explicit HostWindows(HostApp* app);
  ~HostWindows();

  bool create(std::string* error);
  // Rebuilds the Win32 menu bar from the menu model.
  void rebuildMenuBar();
  // What the host does when a menu opens: asks the access and value callbacks of its items.
  void openMenu(int menuIndex, const std::string& why);
  // Clicks an item like the user: the menu opens first; false when the item is not enabled.
  bool clickItem(int menuIndex, int itemIndex, std::string* error);
  // Opens the menu on the screen as a user's click on the menu bar does, writes a screenshot of
  // it open (as the scenario step "screenshot" does) and closes it again without choosing an item.
  bool captureOpenMenu(int menuIndex, const std::string& path, int* width, int* height,
                       std::string* error);
  void repaint();
  void updateTitle();
  // A new graphics window in place of the old one, as the host makes when it rebuilds a view.
  void replaceGraphics();

  HWND frame() const { return mFrame; }
  HWND dialog() const { return mDialog; }
  HWND graphics() const { return mPgl; }
  HWND control(const std::string& name) const;

 private:
  static LRESULT CALLBACK frameProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK pglProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK plainProc(HWND, UINT, WPARAM, LPARAM);
  void layout();
  void paintGraphics(HDC dc, const RECT& rc);
  void onCommand(int id);

  HostApp* mApp;
  HWND mFrame = nullptr, mToolbar = nullptr, mTree = nullptr, mList = nullptr;
  HWND mArea = nullptr, mPane = nullptr, mView = nullptr, mPgl = nullptr, mDialog = nullptr;
  HMENU mBar = nullptr;
  ControlGallery mGallery;
  std::vector<HMENU> mPopups;
  struct ItemRef {
    int menu;
    int item;
    bool enabled;
  };
  std::vector<ItemRef> mItems;  // index = command id - kFirstItemId
};

#endif
