// The host session's selection: selecting by path or item, the selection buffer and the arrays it
// hands out.
#include "api/host_session.h"

#include <cstdlib>
#include <sstream>

#include "api/host_session_shared.h"

using host_session::pathText;

namespace {

constexpr unsigned kSelectionMagic = 0x53454c31;
constexpr unsigned kArrayMagic = 0x41525231;

struct ArrayHeader {
  unsigned magic;
  int count;
  int elemSize;
  int reserved;
};

}  // namespace

bool HostSession::select(const std::string& path, std::string* error) {
  if (!mCurrent || mCurrent->model->type != PRO_MODE_ASSEMBLY) {
    *error = "components can only be selected in an assembly";
    return false;
  }
  if (path.empty() || path.back() == '/') {
    *error = "bad component path '" + path + "'";
    return false;
  }
  std::vector<int> ids;
  std::stringstream ss(path);
  std::string part;
  pro_model_handle* level = mCurrent->model;
  while (std::getline(ss, part, '/')) {
    char* end = nullptr;
    long id = std::strtol(part.c_str(), &end, 10);
    if (part.empty() || *end) {
      *error = "bad component path '" + path + "'";
      return false;
    }
    // A part has no components: a path cannot go on below one.
    HostComponent* found = nullptr;
    if (level)
      for (HostComponent& c : level->components)
        if (c.id == id) found = &c;
    if (!found) {
      *error = "no component " + part + " on path '" + path + "'";
      return false;
    }
    ids.push_back(static_cast<int>(id));
    level = found->model && found->model->type == PRO_MODE_ASSEMBLY ? found->model : nullptr;
  }
  if (ids.empty() || ids.size() > PRO_ASM_MAX_DEPTH) {
    *error = "bad component path '" + path + "'";
    return false;
  }
  newSelection()->path = ids;
  selectionChanged();
  mJournal->write(JsonLine("select").str("path", pathText(ids)).num("count", mSelected.size()));
  return true;
}
bool HostSession::selectItem(const std::string& item, std::string* error) {
  if (!mCurrent) {
    *error = "no current model to select in";
    return false;
  }
  newSelection()->item = item;
  selectionChanged();
  mJournal->write(JsonLine("select").str("item", item).num("count", mSelected.size()));
  return true;
}
pro_selection_handle* HostSession::newSelection() {
  mSelectionStore.push_back(std::make_unique<pro_selection_handle>());
  pro_selection_handle* s = mSelectionStore.back().get();
  s->magic = kSelectionMagic;
  s->owner = mCurrent->model;
  mSelected.push_back(s);
  return s;
}
void HostSession::clearSelection() {
  mSelected.clear();
  selectionChanged();
  mJournal->write(JsonLine("select_clear"));
}
// Journals a probe unless it found what the last journaled one found; the journaled one tells how
// many were folded since the one before it.
void HostSession::journalSelectionGet(size_t count) {
  const std::string found = std::to_string(count) + "/" + std::to_string(mArrays.size());
  if (found == mLastSelectionGet) {
    ++mFoldedSelectionGets;
    ++mFoldedSinceJournaled;
    return;
  }
  mLastSelectionGet = found;
  mJournal->write(JsonLine("selection_get")
                      .num("count", count)
                      .num("unfreed_arrays", mArrays.size())
                      .num("folded", mFoldedSinceJournaled));
  mFoldedSinceJournaled = 0;
}
ProError HostSession::selectionsGet(ProSelection** out) {
  if (!out) return PRO_TK_BAD_INPUTS;
  if (mSelected.empty()) {
    journalSelectionGet(0);
    return PRO_TK_E_NOT_FOUND;
  }
  size_t n = mSelected.size();
  char* block = static_cast<char*>(std::malloc(sizeof(ArrayHeader) + n * sizeof(ProSelection)));
  if (!block) return PRO_TK_GENERAL_ERROR;
  ArrayHeader* h = reinterpret_cast<ArrayHeader*>(block);
  h->magic = kArrayMagic;
  h->count = static_cast<int>(n);
  h->elemSize = sizeof(ProSelection);
  ProSelection* items = reinterpret_cast<ProSelection*>(block + sizeof(ArrayHeader));
  for (size_t i = 0; i < n; ++i) items[i] = mSelected[i];
  mArrays.insert(block);
  *out = items;
  journalSelectionGet(n);
  return PRO_TK_NO_ERROR;
}
ProError HostSession::arraySize(ProArray array, int* size) {
  if (!array || !size) return PRO_TK_BAD_INPUTS;
  char* block = static_cast<char*>(array) - sizeof(ArrayHeader);
  if (!mArrays.count(block)) return PRO_TK_BAD_INPUTS;
  *size = reinterpret_cast<ArrayHeader*>(block)->count;
  return PRO_TK_NO_ERROR;
}
ProError HostSession::arrayFree(ProArray* array) {
  if (!array || !*array) return PRO_TK_BAD_INPUTS;
  char* block = static_cast<char*>(*array) - sizeof(ArrayHeader);
  if (!mArrays.erase(block)) return PRO_TK_BAD_INPUTS;
  std::free(block);
  *array = nullptr;
  // A probe's array given back at once leaves the count where the folded probe found it.
  const std::string left = std::to_string(mArrays.size());
  if (left == mLastArrayFree) return PRO_TK_NO_ERROR;
  mLastArrayFree = left;
  mJournal->write(JsonLine("array_free").num("unfreed_arrays", mArrays.size()));
  return PRO_TK_NO_ERROR;
}
ProError HostSession::selectionPath(ProSelection sel, ProAsmcomppath* path) {
  if (!sel || !path) return PRO_TK_BAD_INPUTS;
  bool known = false;
  for (auto& s : mSelectionStore)
    if (s.get() == sel && s->magic == kSelectionMagic) known = true;
  if (!known) return PRO_TK_BAD_INPUTS;
  path->owner = sel->owner;
  path->table_num = static_cast<int>(sel->path.size());
  for (int i = 0; i < PRO_ASM_MAX_DEPTH; ++i)
    path->comp_id_table[i] = i < path->table_num ? sel->path[i] : -1;
  return PRO_TK_NO_ERROR;
}
