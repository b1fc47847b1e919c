// A test suite sharing one root object over the fake client library. No host window's timer ends
// the catalogue step here, so it counts as done for the reading thread.
#pragma once

#include <gtest/gtest.h>

#include "creo_proxy.h"
#include "fake_kx_api.h"
#include "kx_addin.h"

class AddinSuite : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    FakeKxApi::install();
    sAddin = new CKxAddin();
    sAddin->mCreoProxyP->mMnuProgress = 1.0;
  }
  static void TearDownTestSuite() {
    delete sAddin;
    sAddin = nullptr;
  }
  static CreoProxy* proxy() { return sAddin->mCreoProxyP; }

  static inline CKxAddin* sAddin = nullptr;
};
