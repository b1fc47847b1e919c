// The emulated host's painting: the graphics window's picture of the current view, the frame's
// title and the model tree's root item.
#include "windows/host_windows.h"

#include <commctrl.h>

#include <string>

#include "api/view_math.h"
#include "app/host_app.h"

void HostWindows::repaint() {
  if (mPgl) InvalidateRect(mPgl, nullptr, TRUE);
  updateTitle();
}
void HostWindows::updateTitle() {
  const HostWindow* w = mApp->session().currentWindow();
  HTREEITEM root = reinterpret_cast<HTREEITEM>(SendMessageW(mTree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  if (root && w) {
    std::wstring name = toWide(w->model->name);
    TVITEMW item = {};
    item.mask = TVIF_TEXT;
    item.hItem = root;
    item.pszText = &name[0];
    SendMessageW(mTree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
  std::wstring title = L"Creo Parametric (emulated host)";
  if (w) title += L" - " + toWide(w->model->name) + L" [window " + std::to_wstring(w->id) + L"]";
  SetWindowTextW(mFrame, title.c_str());
}
void HostWindows::paintGraphics(HDC dc, const RECT& rc) {
  HBRUSH bg = CreateSolidBrush(RGB(205, 214, 228));
  FillRect(dc, &rc, bg);
  DeleteObject(bg);
  const HostWindow* w = mApp->session().currentWindow();
  SetBkMode(dc, TRANSPARENT);
  std::wstring apps = L"Applications running: " +
                      (mApp->runningApps().empty() ? L"none" : toWide(mApp->runningApps()));
  TextOutW(dc, 12, rc.bottom - 26, apps.c_str(), static_cast<int>(apps.size()));
  if (!w) {
    TextOutW(dc, 12, 12, L"No model open", 13);
    return;
  }
  double cx = (rc.right + rc.left) / 2.0, cy = (rc.bottom + rc.top) / 2.0;
  double scale = (rc.bottom - rc.top) / 4.0;
  // A part is drawn as a cube; an assembly as one small cube per component where its last
  // regeneration put it (model units scaled so the product fits).
  auto drawBox = [&](const double place[4][4], double half, double unit, COLORREF color) {
    double pts[8][2];
    for (int i = 0; i < 8; ++i) {
      double p[3] = {(i & 1) ? half : -half, (i & 2) ? half : -half, (i & 4) ? half : -half};
      double m[3], q[3];
      for (int c = 0; c < 3; ++c)
        m[c] = p[0] * place[0][c] + p[1] * place[1][c] + p[2] * place[2][c] + place[3][c] * unit;
      for (int c = 0; c < 3; ++c)
        q[c] = m[0] * w->view[0][c] + m[1] * w->view[1][c] + m[2] * w->view[2][c] + w->view[3][c];
      pts[i][0] = cx + q[0] * scale;
      pts[i][1] = cy - q[1] * scale;
    }
    HPEN pen = CreatePen(PS_SOLID, 2, color);
    HGDIOBJ old = SelectObject(dc, pen);
    for (int a = 0; a < 8; ++a)
      for (int b = a + 1; b < 8; ++b) {
        int d = a ^ b;
        if (d != 1 && d != 2 && d != 4) continue;
        MoveToEx(dc, static_cast<int>(pts[a][0]), static_cast<int>(pts[a][1]), nullptr);
        LineTo(dc, static_cast<int>(pts[b][0]), static_cast<int>(pts[b][1]));
      }
    SelectObject(dc, old);
    DeleteObject(pen);
  };
  double origin[4][4];
  view_math::identity(origin);
  if (w->model->components.empty()) {
    drawBox(origin, 1.0, 1.0, RGB(30, 60, 140));
  } else {
    static const COLORREF kColors[] = {RGB(30, 60, 140), RGB(150, 60, 30), RGB(30, 120, 60)};
    int k = 0;
    for (const HostComponent& comp : w->model->components)
      drawBox(comp.shown, 0.3, 0.03, kColors[k++ % 3]);
  }
  std::wstring info = toWide(w->model->name) + L"   display: " +
                      toWide(mApp->macros().displayStyle()) +
                      (w->sketch ? L"   (editing sketch)" : L"");
  TextOutW(dc, 12, 12, info.c_str(), static_cast<int>(info.size()));
}
