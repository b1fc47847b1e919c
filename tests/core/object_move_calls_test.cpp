// Moving selected components and reading the view's axes, seen from the host: the calls made, in
// order, against a recording stand-in for the host's object-move functions.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "addin_suite.h"

namespace {

const double kHalfPi = std::acos(0.0);

// A selected item: its component path from the top down; empty for an item that is no component.
struct FakeSelection {
  std::vector<int> mPath;
};

// The host as the object move sees it. Components are those of the top level, by id.
struct FakeHost {
  std::vector<FakeSelection> mSelections;
  bool mIsArrayHandedOut = false;
  std::map<int, std::vector<double>> mPlacements;  // 16 values, row by row
  std::vector<std::string> mCalls;
  // The call (as recorded) that throws instead of returning.
  std::string mThrowingCall;
  bool mIsViewMissing = false;
  bool mIsTrfFailing = false;
  double mView[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
};

FakeHost* sHost = nullptr;
ProSelection sArray[8];
// Stands for the assembly; never looked into.
pro_model_handle* const kAssembly = reinterpret_cast<pro_model_handle*>(0x5000);

// Records the call; the one the test chose throws instead of returning.
ProError record(const std::string& call) {
  sHost->mCalls.push_back(call);
  if (call == sHost->mThrowingCall) throw std::runtime_error(call);
  return PRO_TK_NO_ERROR;
}

std::string pathText(const ProAsmcomppath* path) {
  std::string text;
  for (int i = 0; i < path->table_num; ++i)
    text += (i ? "/" : "") + std::to_string(path->comp_id_table[i]);
  return text;
}

void copyMatrix(const double* from, ProMatrix to) {
  for (int i = 0; i < 16; ++i) to[i / 4][i % 4] = from[i];
}

const ObjectMoveCalls kFakeCalls = {
    [](int* windowId) {
      *windowId = 3;
      return record("windowCurrentGet");
    },
    [](ProMdl* model) {
      *model = kAssembly;
      return record("mdlCurrentGet");
    },
    [](ProSelection** selections) {
      record("selbufferSelectionsGet");
      if (sHost->mSelections.empty()) return PRO_TK_E_NOT_FOUND;
      for (size_t i = 0; i < sHost->mSelections.size(); ++i)
        sArray[i] = reinterpret_cast<ProSelection>(&sHost->mSelections[i]);
      sHost->mIsArrayHandedOut = true;
      *selections = sArray;
      return PRO_TK_NO_ERROR;
    },
    [](ProAssembly assembly, ProBoolean on) {
      return record(std::string("assemblyDynPosSet ") + (on ? "on" : "off") +
                    (assembly == kAssembly ? "" : " of another model"));
    },
    [](ProArray array, int* size) {
      record("arraySizeGet");
      if (array != sArray) return PRO_TK_BAD_INPUTS;
      *size = static_cast<int>(sHost->mSelections.size());
      return PRO_TK_NO_ERROR;
    },
    [](ProArray* array) {
      record(*array == sArray ? "arrayFree" : "arrayFree of something else");
      sHost->mIsArrayHandedOut = false;
      *array = nullptr;
      return PRO_TK_NO_ERROR;
    },
    [](ProSelection selection, ProAsmcomppath* path) {
      const FakeSelection* picked = reinterpret_cast<const FakeSelection*>(selection);
      path->owner = kAssembly;
      path->table_num = static_cast<int>(picked->mPath.size());
      for (size_t i = 0; i < picked->mPath.size(); ++i) path->comp_id_table[i] = picked->mPath[i];
      return record("selectionAsmcomppathGet");
    },
    [](ProSolid owner, int id, ProFeature* feature) {
      *feature = {PRO_FEATURE, id, owner};
      return record("featureInit " + std::to_string(id));
    },
    [](ProAsmcomp* component, ProMatrix position) {
      copyMatrix(sHost->mPlacements.at(component->id).data(), position);
      return record("asmcompPositionGet " + std::to_string(component->id));
    },
    [](ProAsmcomppath* path, ProAsmcomp* component, ProMatrix position) {
      record("asmcompPositionSet " + std::to_string(component->id) + " " + pathText(path));
      std::vector<double>& m = sHost->mPlacements.at(component->id);
      for (int i = 0; i < 16; ++i) m[i] = position[i / 4][i % 4];
      return PRO_TK_NO_ERROR;
    },
    [](ProAsmcomp* component, ProBoolean soft) {
      return record("asmcompRegenerate " + std::to_string(component->id) + (soft ? " soft" : ""));
    },
    [](int windowId) { return record("windowRefresh " + std::to_string(windowId)); },
    [](ProMdl, ProView, ProMatrix matrix) {
      record("viewMatrixGet");
      if (sHost->mIsViewMissing) return PRO_TK_BAD_CONTEXT;
      copyMatrix(&sHost->mView[0][0], matrix);
      return PRO_TK_NO_ERROR;
    },
    [](ProVector in, ProMatrix matrix, ProVector out) {
      record("vectorTrfEval");
      if (sHost->mIsTrfFailing) return PRO_TK_BAD_CONTEXT;
      for (int c = 0; c < 3; ++c)
        out[c] = in[0] * matrix[0][c] + in[1] * matrix[1][c] + in[2] * matrix[2][c];
      return PRO_TK_NO_ERROR;
    },
};

std::vector<double> placementAt(double x, double y, double z) {
  return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1};
}

// Leaves not-a-number behind on the stack, where the next call's locals will lie.
__attribute__((noinline)) double poisonStack() {
  volatile double junk[2048];
  for (int i = 0; i < 2048; ++i) junk[i] = std::nan("");
  return junk[0];
}

class ObjectMoveCallsTest : public AddinSuite {
 protected:
  void SetUp() override {
    mHost = FakeHost();
    mHost.mPlacements[5] = placementAt(0, 0, 0);
    mHost.mPlacements[6] = placementAt(50, 0, 0);
    mHost.mPlacements[7] = placementAt(0, 40, 0);
    sHost = &mHost;
    CreoProxy::sMoveCalls = kFakeCalls;
  }
  void TearDown() override {
    CreoProxy::sMoveCalls = CreoProxy::kHostMoveCalls;
    sHost = nullptr;
  }

  FakeHost mHost;
};

const double kX[3] = {1, 0, 0};
const double kY[3] = {0, 1, 0};
const double kZ[3] = {0, 0, 1};

// A host without a view leaves the matrix untouched: the axes are then the model's, never what
// happened to lie in memory; a host whose vector transform fails as well gives the same. A turned
// and zoomed view's axes are the turned-component scenario's.
TEST_F(ObjectMoveCallsTest, ViewAxesWithoutAView) {
  for (const bool isTrfFailing : {false, true}) {
    mHost = FakeHost();
    mHost.mIsViewMissing = true;
    mHost.mIsTrfFailing = isTrfFailing;
    double axes[3][3];
    (void)poisonStack();
    proxy()->getViewAxes(axes[0], axes[1], axes[2]);
    for (int a = 0; a < 3; ++a)
      for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(axes[a][c], a == c ? 1 : 0, 1e-12)
            << "failing " << isTrfFailing << " axis " << a;
    const std::vector<std::string> expected = {"viewMatrixGet", "vectorTrfEval", "vectorTrfEval",
                                               "vectorTrfEval"};
    EXPECT_EQ(mHost.mCalls, expected) << "failing " << isTrfFailing;
  }
}

// The calls of one step for various selections, an exception in some call included: after it,
// dynamic positioning is off again if it was switched on, and the array is given back.
TEST_F(ObjectMoveCallsTest, CallSequences) {
  const std::vector<std::string> kHead = {"windowCurrentGet", "mdlCurrentGet",
                                          "selbufferSelectionsGet"};
  // One item's path read and its first-level component looked up; one component placed.
  auto read = [](int id) -> std::vector<std::string> {
    return {"selectionAsmcomppathGet", "featureInit " + std::to_string(id),
            "asmcompPositionGet " + std::to_string(id)};
  };
  auto place = [](int id, const std::string& path) -> std::vector<std::string> {
    return {"asmcompPositionSet " + std::to_string(id) + " " + path,
            "asmcompRegenerate " + std::to_string(id) + " soft"};
  };
  auto seq = [](std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
  };
  const std::vector<std::string> on = {"assemblyDynPosSet on", "arraySizeGet"};
  // After an exception: positioning off, the array back, no refresh.
  const std::vector<std::string> undone = {"assemblyDynPosSet off", "arrayFree"};
  const std::vector<std::string> done = {"assemblyDynPosSet off", "windowRefresh 3", "arrayFree"};
  const struct {
    std::vector<FakeSelection> mSelections;
    std::string mThrowingCall;
    bool mResult;
    std::vector<std::string> mCalls;  // after kHead
  } rows[] = {
      // The ordinary steps are the object move scenarios'; these are the host's exceptions.
      // The selection buffer throws: nothing was switched on, there is no array to give back.
      {{{{5}}}, "selbufferSelectionsGet", false, {}},
      // A placement throws: the rest of the step is dropped, positioning goes off, the array back.
      {{{{5}}, {{6}}},
       "asmcompPositionSet 5 5",
       false,
       seq({on, read(5), read(6), read(5), {"asmcompPositionSet 5 5"}, undone})},
      // The last regeneration throws: the first component stays moved.
      {{{{5}}, {{6}}},
       "asmcompRegenerate 6 soft",
       false,
       seq({on, read(5), read(6), read(5), place(5, "5"), read(6), place(6, "6"), undone})},
      // Switching positioning on throws: it is switched off once.
      {{{{5}}},
       "assemblyDynPosSet on",
       false,
       {"assemblyDynPosSet on", "assemblyDynPosSet off", "arrayFree"}},
      // Switching it off throws: not tried again, the array still goes back.
      {{{{5}}}, "assemblyDynPosSet off", false, seq({on, read(5), read(5), place(5, "5"), undone})},
  };
  for (size_t row = 0; row < sizeof(rows) / sizeof(rows[0]); ++row) {
    SetUp();
    mHost.mSelections = rows[row].mSelections;
    mHost.mThrowingCall = rows[row].mThrowingCall;
    const bool result = proxy()->transformSelection(1, 0, 0, 0, 0, 0.1, kX, kY, kZ);
    EXPECT_EQ(result, rows[row].mResult) << "row " << row;
    std::vector<std::string> expected = kHead;
    expected.insert(expected.end(), rows[row].mCalls.begin(), rows[row].mCalls.end());
    EXPECT_EQ(mHost.mCalls, expected) << "row " << row;
    EXPECT_FALSE(mHost.mIsArrayHandedOut) << "row " << row << ": the array was not given back";
  }
}

// Worked by hand: two items of the subassembly at (0, 40, 0) turn it twice by an eighth turn about
// the centre of the step, its origin before the step, and shift it twice. The second placement
// starts where the first left it: P1 = G + (1, 0, -2), P2 = G + (1, 0, -2) Rot(z) + (1, 0, -2).
TEST_F(ObjectMoveCallsTest, TwoItemsOfOneSubassemblyMoveItTwice) {
  mHost.mSelections = {{{7, 11}}, {{7, 12}}};
  ASSERT_TRUE(proxy()->transformSelection(1, 0, -2, 0, 0, kHalfPi / 2, kX, kY, kZ));
  const double root = std::sqrt(0.5);
  const double expected[16] = {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 1 + root, 40 + root, -4, 1};
  for (int i = 0; i < 16; ++i)
    EXPECT_NEAR(mHost.mPlacements[7][i], expected[i], 1e-12) << "entry " << i / 4 << "," << i % 4;
  for (int id : {5, 6}) {
    const std::vector<double> untouched = id == 5 ? placementAt(0, 0, 0) : placementAt(50, 0, 0);
    EXPECT_EQ(mHost.mPlacements[id], untouched) << "component " << id;
  }
}

}  // namespace
