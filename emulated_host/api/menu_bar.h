// The layout of the host's menu bar: host menus and the menus and check buttons applications add.
// The window layer mirrors it into the real Win32 menu.
#ifndef KX_EMULATED_HOST_MENU_BAR_H
#define KX_EMULATED_HOST_MENU_BAR_H

#include <string>
#include <vector>

#include "journal/host_journal.h"
#include "pro_toolkit.h"

struct MenuItem {
  std::string name;
  std::string label;
  std::string help;
  uiCmdCmdId cmd = nullptr;
};

struct Menu {
  std::string name;
  std::string label;
  bool fromHost = true;
  std::vector<MenuItem> items;
};

class MenuBar {
 public:
  explicit MenuBar(HostJournal* journal);

  ProError addMenu(const std::string& name, const std::string& label, const char* neighbour,
                   bool after);
  ProError addCheckButton(const std::string& parent, const std::string& name,
                          const std::string& label, const std::string& help, const char* neighbour,
                          bool after, uiCmdCmdId cmd);
  const std::vector<Menu>& menus() const { return mMenus; }
  int findMenu(const std::string& nameOrLabel) const;
  int findItem(int menu, const std::string& nameOrLabel) const;

 private:
  HostJournal* mJournal;
  std::vector<Menu> mMenus;
};

#endif
