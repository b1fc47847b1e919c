#include "api/menu_bar.h"

MenuBar::MenuBar(HostJournal* journal) : mJournal(journal) {
  static const char* const kHostMenus[] = {"File", "Edit",         "View",  "Insert", "Analysis",
                                           "Info", "Applications", "Tools", "Window", "Help"};
  static const char* const kFirstItems[] = {"Open",     "Undo",       "Refit",     "Datum Plane",
                                            "Measure",  "Model Info", "Mechanism", "Options",
                                            "Activate", "About"};
  for (size_t i = 0; i < sizeof(kHostMenus) / sizeof(kHostMenus[0]); ++i) {
    Menu m;
    m.name = kHostMenus[i];
    m.label = kHostMenus[i];
    MenuItem item;
    item.name = kFirstItems[i];
    item.label = kFirstItems[i];
    m.items.push_back(item);
    mMenus.push_back(m);
  }
}

int MenuBar::findMenu(const std::string& key) const {
  for (size_t i = 0; i < mMenus.size(); ++i)
    if (mMenus[i].name == key) return static_cast<int>(i);
  for (size_t i = 0; i < mMenus.size(); ++i)
    if (mMenus[i].label == key) return static_cast<int>(i);
  return -1;
}

int MenuBar::findItem(int menu, const std::string& key) const {
  if (menu < 0 || menu >= static_cast<int>(mMenus.size())) return -1;
  const std::vector<MenuItem>& items = mMenus[menu].items;
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i].name == key) return static_cast<int>(i);
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i].label == key) return static_cast<int>(i);
  return -1;
}

ProError MenuBar::addMenu(const std::string& name, const std::string& label, const char* neighbour,
                          bool after) {
  if (name.empty() || label.empty()) return PRO_TK_BAD_INPUTS;
  if (findMenu(name) >= 0) {
    mJournal->write(JsonLine("menu_add").str("name", name).str("error", "menu exists"));
    return PRO_TK_GENERAL_ERROR;
  }
  size_t pos = mMenus.size();
  if (neighbour) {
    int n = -1;
    for (size_t i = 0; i < mMenus.size(); ++i)
      if (mMenus[i].name == neighbour) n = static_cast<int>(i);
    if (n < 0) {
      mJournal->write(JsonLine("menu_add")
                          .str("name", name)
                          .str("error", std::string("no neighbour menu ") + neighbour));
      return PRO_TK_E_NOT_FOUND;
    }
    pos = after ? n + 1 : n;
  } else if (!after) {
    pos = 0;
  }
  Menu m;
  m.name = name;
  m.label = label;
  m.fromHost = false;
  mMenus.insert(mMenus.begin() + pos, m);
  mJournal->write(JsonLine("menu_add")
                      .str("name", name)
                      .str("label", label)
                      .str("neighbour", neighbour ? neighbour : "")
                      .flag("after", after)
                      .num("position", pos)
                      .str("left", pos > 0 ? mMenus[pos - 1].name : "")
                      .str("right", pos + 1 < mMenus.size() ? mMenus[pos + 1].name : ""));
  return PRO_TK_NO_ERROR;
}

ProError MenuBar::addCheckButton(const std::string& parent, const std::string& name,
                                 const std::string& label, const std::string& help,
                                 const char* neighbour, bool after, uiCmdCmdId cmd) {
  int m = -1;
  for (size_t i = 0; i < mMenus.size(); ++i)
    if (mMenus[i].name == parent) m = static_cast<int>(i);
  if (name.empty() || !cmd) return PRO_TK_BAD_INPUTS;
  if (m < 0) {
    mJournal->write(JsonLine("button_add")
                        .str("menu", parent)
                        .str("name", name)
                        .str("error", "no menu " + parent));
    return PRO_TK_E_NOT_FOUND;
  }
  std::vector<MenuItem>& items = mMenus[m].items;
  for (const MenuItem& it : items)
    if (it.name == name) return PRO_TK_GENERAL_ERROR;
  size_t pos = after ? items.size() : 0;
  if (neighbour) {
    int n = -1;
    for (size_t i = 0; i < items.size(); ++i)
      if (items[i].name == neighbour) n = static_cast<int>(i);
    if (n < 0) return PRO_TK_E_NOT_FOUND;
    pos = after ? n + 1 : n;
  }
  MenuItem item;
  item.name = name;
  item.label = label;
  item.help = help;
  item.cmd = cmd;
  items.insert(items.begin() + pos, item);
  mJournal->write(JsonLine("button_add")
                      .str("menu", parent)
                      .str("name", name)
                      .str("label", label)
                      .num("position", pos));
  return PRO_TK_NO_ERROR;
}
