// The host session's views: the view matrices of its windows, refit, refresh and the host's own
// navigation.
#include "api/host_session.h"

#include "api/host_session_shared.h"
#include "api/view_math.h"

using host_session::finite;

void HostSession::navigate(const int a[6], const std::string& source) {
  if (!mCurrent) {
    mJournal->write(JsonLine("nav").str("source", source).flag("applied", false));
    return;
  }
  view_math::navigate(mCurrent->view, a[0], a[1], a[2], a[3], a[4], a[5]);
  mJournal->write(JsonLine("nav")
                      .str("source", source)
                      .flag("applied", true)
                      .num("window", mCurrent->id)
                      .num("tx", a[0])
                      .num("ty", a[1])
                      .num("tz", a[2])
                      .num("rx", a[3])
                      .num("ry", a[4])
                      .num("rz", a[5])
                      .matrix("view", mCurrent->view));
}
HostWindow* HostSession::windowFor(ProMdl model, ProView view, ProError* err) {
  // Views are never handed out, so a non-null view cannot be one of ours.
  if (view) {
    *err = PRO_TK_BAD_INPUTS;
    return nullptr;
  }
  if (!model) {
    if (!mCurrent) *err = PRO_TK_BAD_CONTEXT;
    return mCurrent;
  }
  if (!validModel(model)) {
    *err = PRO_TK_BAD_INPUTS;
    return nullptr;
  }
  if (mCurrent && mCurrent->model == model) return mCurrent;
  for (auto& w : mWindows)
    if (w->model == model) return w.get();
  *err = PRO_TK_E_NOT_FOUND;
  return nullptr;
}
ProError HostSession::viewGet(ProMdl model, ProView view, ProMatrix m) {
  ProError err = PRO_TK_NO_ERROR;
  HostWindow* w = windowFor(model, view, &err);
  if (!w) return err;
  if (!m) return PRO_TK_BAD_INPUTS;
  view_math::copy(w->view, m);
  return PRO_TK_NO_ERROR;
}
ProError HostSession::viewSet(ProMdl model, ProView view, ProMatrix m) {
  ProError err = PRO_TK_NO_ERROR;
  HostWindow* w = windowFor(model, view, &err);
  if (!w) return err;
  if (!m) return PRO_TK_BAD_INPUTS;
  if (!finite(m)) {
    mJournal->write(
        JsonLine("view_set_refused").num("window", w->id).str("error", "matrix is not finite"));
    return PRO_TK_BAD_INPUTS;
  }
  view_math::copy(m, w->view);
  mJournal->write(JsonLine("view_set")
                      .num("window", w->id)
                      .real("ortho_error", view_math::orthoError(m))
                      .matrix("matrix", m));
  return PRO_TK_NO_ERROR;
}
ProError HostSession::refit(ProMdl model, ProView view) {
  ProError err = PRO_TK_NO_ERROR;
  HostWindow* w = windowFor(model, view, &err);
  if (!w) return err;
  // A refit centres the model: the orientation stays, the translation goes.
  w->view[3][0] = w->view[3][1] = w->view[3][2] = 0;
  mJournal->write(JsonLine("refit").num("window", w->id));
  return PRO_TK_NO_ERROR;
}
ProError HostSession::refresh(int windowId, int* resolved) {
  int id = windowId == PRO_VALUE_UNUSED ? currentWindowId() : windowId;
  if (windowId == PRO_VALUE_UNUSED && id < 0) return PRO_TK_BAD_CONTEXT;
  if (!window(id)) return PRO_TK_E_NOT_FOUND;
  *resolved = id;
  mJournal->write(JsonLine("refresh").num("window", id).num("requested", windowId));
  return PRO_TK_NO_ERROR;
}
bool HostSession::setCurrentView(const double m[4][4], std::string* error) {
  if (!mCurrent) {
    *error = "no current window to set the view of";
    return false;
  }
  view_math::copy(m, mCurrent->view);
  mJournal->write(JsonLine("scenario_view").num("window", mCurrent->id).matrix("matrix", m));
  return true;
}
