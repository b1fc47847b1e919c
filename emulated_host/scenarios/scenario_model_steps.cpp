// The scenario steps on the host's models and windows, the selection and the components'
// placements.
#include "scenarios/scenario_runner.h"

#include <cmath>
#include <cstdio>

#include "api/view_math.h"
#include "app/host_app.h"
#include "json_line.h"
#include "windows/host_windows.h"

bool ScenarioRunner::openModel(const ScenarioStep& s, std::string* error) {
  return mApp->openModel(s.args[0], s.args[1], s.verb == "new", error);
}
bool ScenarioRunner::activateWindow(const ScenarioStep& s, std::string* error) {
  return mApp->activateWindow(std::stoi(s.args[0]), error);
}
bool ScenarioRunner::activateWindowSilently(const ScenarioStep& s, std::string* error) {
  // Some host dialogs make another window current without the window-change notification; the
  // user interface is brought up to date all the same.
  if (!mApp->session().activateWindow(std::stoi(s.args[0]), error)) return false;
  mApp->windows().repaint();
  mApp->commands().updateAll("window_silent");
  return true;
}
bool ScenarioRunner::replaceGraphics(const ScenarioStep&, std::string*) {
  mApp->windows().replaceGraphics();
  return true;
}
bool ScenarioRunner::closeWindow(const ScenarioStep& s, std::string* error) {
  if (!mApp->session().closeWindow(std::stoi(s.args[0]), error)) return false;
  mApp->session().fire(PRO_WINDOW_CHANGE_POST, "window closed");
  mApp->windows().repaint();
  return true;
}
bool ScenarioRunner::sketch(const ScenarioStep& s, std::string* error) {
  bool ok = mApp->session().setSketch(s.args[0] == "on", error);
  mApp->windows().repaint();
  return ok;
}
bool ScenarioRunner::select(const ScenarioStep& s, std::string* error) {
  return mApp->session().select(s.args[0], error);
}
bool ScenarioRunner::selectItem(const ScenarioStep& s, std::string* error) {
  return mApp->session().selectItem(s.args[0], error);
}
bool ScenarioRunner::clearSelection(const ScenarioStep&, std::string*) {
  mApp->session().clearSelection();
  return true;
}
bool ScenarioRunner::expectPlacement(const ScenarioStep& s, std::string* error) {
  std::string why;
  if (!measure(s, &why, error)) return false;
  if (!why.empty()) failed(s, why);
  return true;
}
bool ScenarioRunner::placeOrView(const ScenarioStep& s, std::string* error) {
  const std::vector<std::string>& a = s.args;
  const size_t first = s.verb == "view" ? 0 : 1;
  double axis[3];
  double length = 0;
  for (int i = 0; i < 3; ++i) {
    axis[i] = std::stod(a[first + i]);
    length += axis[i] * axis[i];
  }
  for (double& x : axis) x /= std::sqrt(length);
  double m[4][4];
  view_math::rotation(axis, std::stod(a[first + 3]) * std::acos(-1.0) / 180, m);
  if (s.verb == "view") {
    // The zoom lies in the matrix too: a real view is a rotation times a scale.
    const double scale = a.size() == 5 ? std::stod(a[4]) : 1.0;
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) m[i][j] *= scale;
    if (!mApp->session().setCurrentView(m, error)) return false;
  } else {
    for (int i = 0; i < 3; ++i) m[3][i] = std::stod(a[5 + i]);
    if (!mApp->session().placeComponent(a[0], m, error)) return false;
  }
  mApp->windows().repaint();
  return true;
}
bool ScenarioRunner::measure(const ScenarioStep& s, std::string* why, std::string* error) {
  const std::vector<std::string>& a = s.args;
  HostSession& session = mApp->session();
  double first[4][4];
  if (!session.placementInAssembly(a[0], first, error)) return false;
  if (s.verb == "expect-distance") {
    double second[4][4];
    if (!session.placementInAssembly(a[1], second, error)) return false;
    double sum = 0;
    for (int i = 0; i < 3; ++i) sum += (first[3][i] - second[3][i]) * (first[3][i] - second[3][i]);
    const double distance = std::sqrt(sum);
    char text[160];
    std::snprintf(text, sizeof text, "%.17g", distance);
    mApp->journal().write(
        JsonLine("distance").str("from", a[0]).str("to", a[1]).str("distance", text));
    if (std::fabs(distance - std::stod(a[2])) > std::stod(a[3])) {
      *why = "expect-distance " + a[0] + " " + a[1] + ": " + text + " instead of " + a[2] +
             " within " + a[3];
    }
    return true;
  }
  // The placement must not change at all while the host runs for that long.
  pump(s.limitMs);
  double later[4][4];
  if (!session.placementInAssembly(a[0], later, error)) return false;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      if (later[r][c] != first[r][c]) {
        *why = "expect-still " + a[0] + ": entry " + std::to_string(r) + "," + std::to_string(c) +
               " moved within " + a[1] + " ms";
        return true;
      }
  return true;
}
