// The host session's assemblies: components, their placements, regeneration and dynamic
// positioning.
#include "api/host_session.h"

#include <cstdlib>
#include <sstream>

#include "api/host_session_shared.h"
#include "api/view_math.h"

using host_session::finite;
using host_session::kModelMagic;
using host_session::pathText;

namespace {

// A placement counts as a rigid transform within this; a move of thousands of steps stays far
// below.
constexpr double kRigidTolerance = 1e-9;

}  // namespace

bool HostSession::validModel(pro_model_handle* m) const {
  if (!m) return false;
  for (auto& own : mModels)
    if (own.get() == m) return m->magic == kModelMagic;
  return false;
}
ProError HostSession::featureInit(ProSolid owner, int id, ProFeature* feature) {
  if (!feature || !validModel(owner)) return PRO_TK_BAD_INPUTS;
  bool found = owner->features.count(id) > 0;
  for (const HostComponent& c : owner->components) found = found || c.id == id;
  if (!found) return PRO_TK_E_NOT_FOUND;
  feature->type = PRO_FEATURE;
  feature->id = id;
  feature->owner = owner;
  return PRO_TK_NO_ERROR;
}
HostComponent* HostSession::component(ProAsmcomp* comp, ProError* err) {
  if (!comp || !validModel(comp->owner) || comp->type != PRO_FEATURE) {
    *err = PRO_TK_BAD_INPUTS;
    return nullptr;
  }
  for (HostComponent& c : comp->owner->components)
    if (c.id == comp->id) return &c;
  *err = PRO_TK_E_NOT_FOUND;
  return nullptr;
}
ProError HostSession::positionGet(ProAsmcomp* comp, ProMatrix m) {
  ProError err = PRO_TK_NO_ERROR;
  HostComponent* c = component(comp, &err);
  if (!c) return err;
  if (!m) return PRO_TK_BAD_INPUTS;
  view_math::copy(c->placement, m);
  return PRO_TK_NO_ERROR;
}
ProError HostSession::positionSet(ProAsmcomppath* path, ProAsmcomp* comp, ProMatrix m) {
  ProError err = PRO_TK_NO_ERROR;
  HostComponent* c = component(comp, &err);
  if (!c) return err;
  if (!m) return PRO_TK_BAD_INPUTS;
  if (!finite(m)) {
    mJournal->write(
        JsonLine("placement_refused").num("component", c->id).str("error", "matrix is not finite"));
    return PRO_TK_BAD_INPUTS;
  }
  std::string pathStr;
  if (path) {
    if (path->owner != comp->owner || path->table_num < 0 || path->table_num > PRO_ASM_MAX_DEPTH)
      return PRO_TK_BAD_INPUTS;
    pathStr =
        pathText(std::vector<int>(path->comp_id_table, path->comp_id_table + path->table_num));
  }
  view_math::copy(m, c->placement);
  // Setting a placement does not regenerate; the model shows it after a regeneration.
  c->regenerated = false;
  mJournal->write(JsonLine("placement_set")
                      .str("model", comp->owner->name)
                      .num("component", c->id)
                      .str("path", pathStr)
                      .flag("dynpos", mDynPos[comp->owner])
                      .real("ortho_error", view_math::orthoError(m))
                      .real("scale_error", view_math::scaleError(m))
                      .flag("rigid", view_math::isRigid(m, kRigidTolerance))
                      .matrix("matrix", m));
  return PRO_TK_NO_ERROR;
}
ProError HostSession::regenerate(ProAsmcomp* comp, ProBoolean soft) {
  ProError err = PRO_TK_NO_ERROR;
  HostComponent* c = component(comp, &err);
  if (!c) return err;
  bool pending = !c->regenerated;
  c->regenerated = true;
  view_math::copy(c->placement, c->shown);
  mJournal->write(JsonLine("regenerate")
                      .str("model", comp->owner->name)
                      .num("component", c->id)
                      .flag("soft", soft != 0)
                      .flag("pending_placement", pending)
                      .matrix("matrix", c->placement));
  return PRO_TK_NO_ERROR;
}
ProError HostSession::dynPos(ProAssembly assembly, ProBoolean on) {
  if (!validModel(assembly) || assembly->type != PRO_MODE_ASSEMBLY) return PRO_TK_BAD_INPUTS;
  mDynPos[assembly] = on != 0;
  mJournal->write(JsonLine("dynpos").str("model", assembly->name).flag("on", on != 0));
  return PRO_TK_NO_ERROR;
}
bool HostSession::componentChain(const std::string& path, std::vector<HostComponent*>* chain,
                                 std::string* error) {
  chain->clear();
  if (!mCurrent || mCurrent->model->type != PRO_MODE_ASSEMBLY) {
    *error = "no assembly in the current window";
    return false;
  }
  pro_model_handle* level = mCurrent->model;
  std::stringstream ss(path);
  std::string part;
  while (std::getline(ss, part, '/')) {
    char* end = nullptr;
    long id = std::strtol(part.c_str(), &end, 10);
    HostComponent* found = nullptr;
    if (level && !part.empty() && !*end)
      for (HostComponent& c : level->components)
        if (c.id == id) found = &c;
    if (!found) {
      *error = "no component " + part + " on path '" + path + "'";
      return false;
    }
    chain->push_back(found);
    level = found->model && found->model->type == PRO_MODE_ASSEMBLY ? found->model : nullptr;
  }
  if (chain->empty() || path.back() == '/') {
    *error = "bad component path '" + path + "'";
    return false;
  }
  return true;
}
bool HostSession::placeComponent(const std::string& path, const double m[4][4],
                                 std::string* error) {
  std::vector<HostComponent*> chain;
  if (!componentChain(path, &chain, error)) return false;
  HostComponent* c = chain.back();
  view_math::copy(m, c->placement);
  view_math::copy(m, c->shown);
  c->regenerated = true;
  mJournal->write(JsonLine("scenario_placement").str("path", path).matrix("matrix", m));
  return true;
}
bool HostSession::placementInAssembly(const std::string& path, double out[4][4],
                                      std::string* error) {
  std::vector<HostComponent*> chain;
  if (!componentChain(path, &chain, error)) return false;
  // Row vectors: a point of the lowest component maps through its placement, then each one above.
  view_math::copy(chain.back()->placement, out);
  for (size_t i = chain.size() - 1; i-- > 0;) view_math::multiply(out, chain[i]->placement, out);
  return true;
}
