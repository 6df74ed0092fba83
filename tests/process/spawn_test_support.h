// Reading process addresses in the spawn tests.
#ifndef KELNL_TESTS_PROCESS_SPAWN_TEST_SUPPORT_H
#define KELNL_TESTS_PROCESS_SPAWN_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "kelnl/nlnv.h"
#include "kelnl/nlpc.h"
#include "tests/support/product_home.h"

namespace kelnl::testing {

// An address text read into a record the way nlpcsp reads it; released at the end of the scope.
class ReadAddress {
 public:
  explicit ReadAddress(std::string_view text) {
    status_ = nlnvcrb(text.data(), text.size(), &binding_, nullptr);
    if (status_ == 0) status_ = nlnvcbp(nlpcptab, "ADDRESS", 7, &binding_);
    if (status_ == 0) status_ = nlpcaini(nullptr, binding_, &record_);
  }
  ~ReadAddress() {
    if (status_ == 0) nlpcatrm(nullptr, &record_);
    nlnvdeb(binding_);
  }
  ReadAddress(const ReadAddress&) = delete;
  ReadAddress& operator=(const ReadAddress&) = delete;

  int32_t status() const { return status_; }
  NlSpawnRecord& record() { return record_; }

 private:
  NlnvBinding* binding_ = nullptr;
  NlSpawnRecord record_{};
  int32_t status_ = 0;
};

}  // namespace kelnl::testing

#endif
