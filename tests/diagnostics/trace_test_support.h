// A global context with the trace message file and an error stack, parameter tables written as
// text, and the lines of trace files: what the trace tests share.
#ifndef KELNL_TESTS_DIAGNOSTICS_TRACE_TEST_SUPPORT_H
#define KELNL_TESTS_DIAGNOSTICS_TRACE_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "context/context_hold.h"
#include "kelnl/nldt.h"
#include "kelnl/nlem.h"
#include "kelnl/nler.h"
#include "kelnl/nlerrors.h"
#include "kelnl/nlpa.h"
#include "kelnl/nlstd.h"
#include "tests/diagnostics/stream_test_support.h"
#include "tests/support/test_files.h"

namespace kelnl::testing {

class TraceTest : public ::testing::Test {
 protected:
  TraceTest() : home_("TARVO_HOME", KELNL_TEST_BUILD_HOME) {}

  void TearDown() override {
    if (context_ != nullptr && context_->trace == trace_) context_->trace = nullptr;  // the fixture owns it
    if (trace_ != nullptr) {
      EXPECT_EQ(nldtdestroy(nullptr, &trace_), 0);
    }
    for (NlDiagStream* stream : streams_) Destroy(stream);
    for (NlParameterTable* table : tables_) nlpatrm(nullptr, &table);
    if (context_ != nullptr) {
      if (context_->message_facility != nullptr) nlemdestroy(nullptr, &context_->message_facility);
      context_->parameters = nullptr;
      nlstdtrm(&context_);
    }
  }

  // Holds the process's context (thread-safe when asked) with its message facility and error
  // stack, as startup leaves them.
  void StartContext(bool thread_safe = false) {
    TakeContextHold(&context_, thread_safe ? 1 : 0);
    ASSERT_NE(context_, nullptr);
    ASSERT_EQ(nleminz(nullptr, &context_->message_facility, 1, nullptr, 0, nullptr), 0);
    ASSERT_EQ(nlerinit(nullptr, &context_->error_stack, context_->message_facility, nullptr), 0);
    // Registered as a trace's creation would; registering again then allocates nothing.
    ASSERT_EQ(nlemfireg(nullptr, context_->message_facility, 37, "NETWORK", 7, "NLT", 3), 0);
  }

  // StartContext with a trace at level 16 in trace.trc as the process's trace, for tests of what
  // operations leave in a trace that is on.
  void StartTracedContext() {
    StartContext();
    context_->trace = Trace("level = 16\n");
    ASSERT_NE(context_->trace, nullptr);
    context_->trace->stream->trace = context_->trace;
  }

  // A parameter table read from text in parameter-file form, kept until the test ends. Its
  // lists are split at once, as a first lookup would, so that later lookups allocate nothing.
  NlParameterTable* Parameters(const std::string& text) {
    const std::string path = dir_.Write("parameters.kel", text);
    NlFileNameDesc desc = DescriptorFor(path);
    NlPrimaryErrorRecord record{};
    NlParameterTable* table = nullptr;
    EXPECT_EQ(nlpains(&record, &table, 0, &desc, nullptr, 0, nullptr, nullptr, 0, nullptr), 0);
    for (const char* name : {"events", "filters", "level"}) {
      std::uint32_t count = 0;
      (void)nlpagvc(nullptr, table, name, static_cast<std::uint32_t>(std::strlen(name)), &count);
    }
    tables_.push_back(table);
    return table;
  }

  // A file stream the fixture destroys.
  NlDiagStream* FileStream(const std::string& name, std::uint8_t options = 0) {
    NlDiagStream* stream = NewFileStream(dir_.File(name), options);
    streams_.push_back(stream);
    return stream;
  }

  // A trace on a file stream, created with the parameters of the text.
  NlTraceContext* Trace(const std::string& parameters, const std::string& file = "trace.trc") {
    NlParameterTable* table = Parameters(parameters);
    EXPECT_EQ(nldtin2(nullptr, &trace_, table, FileStream(file), "level", 5, "events", 6, "filters", 7), 0);
    return trace_;
  }

  // A trace at level 16 on a ring of `count` files ringN.trc of `kilobytes` each, linked as the
  // startup opening links a ring.
  NlTraceContext* RingTrace(std::size_t count, std::int32_t kilobytes) {
    NlTraceContext* trace = Trace("level = 16\n", "ring1.trc");
    if (trace == nullptr) return nullptr;
    trace->file_length = kilobytes;
    trace->file_count = static_cast<std::int32_t>(count);
    ring_.push_back(trace->stream);
    for (std::size_t i = 2; i <= count; ++i) ring_.push_back(FileStream("ring" + std::to_string(i) + ".trc"));
    for (std::size_t i = 0; i < count; ++i) {
      ring_[i]->next = ring_[(i + 1) % count];
      ring_[i]->trace = trace;
      ring_[i]->sequence = 1;
      ring_[i]->state |= NLDS_STATE_CYCLING;
    }
    return trace;
  }

  std::vector<std::string> Lines(const std::string& file) const {
    std::vector<std::string> lines;
    std::istringstream in(dir_.Read(file));
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
    }
    return lines;
  }

  ScopedEnvironment home_;
  TempDir dir_;
  NlGlobalContext* context_ = nullptr;
  std::vector<NlParameterTable*> tables_;
  NlTraceContext* trace_ = nullptr;
  std::vector<NlDiagStream*> streams_;
  std::vector<NlDiagStream*> ring_;  // the files of RingTrace, first to last
};

}  // namespace kelnl::testing

#endif
