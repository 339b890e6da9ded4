// control_fixture.h -- helpers for the tests of the module spine: a run
// context on the mini host, and parse records built by hand.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/host_link.h"
#include "control/create_context.h"
#include "control/end_run.h"
#include "control/parser_state.h"
#include "mini_host.h"

namespace spine_test {

// A parse record as the host parser would fill it.
class Record {
  public:
    explicit Record(int statement) { rec_.statement = statement; }
    Record& value(int slot, double v) {
        rec_.values[slot].given = 1;
        rec_.values[slot].value = v;
        return *this;
    }
    Record& flag(int bit) {
        rec_.flags[bit / 8] = static_cast<uint8_t>(rec_.flags[bit / 8] | (1u << (bit % 8)));
        return *this;
    }
    Record& data(int number, const TymDataRef* ref) {
        rec_.data[number] = ref;
        return *this;
    }
    TymParseRecord* get() { return &rec_; }

  private:
    TymParseRecord rec_{};
};

// Releases a context the way end_run does, without ending a step.
inline void destroy_context(tymlp::LpContext* ctx) {
    if (ctx == nullptr) return;
    tymlp::release_run_resources(ctx, false);
    if (ctx->handles.heap != nullptr) tymlp::host_heap_destroy(ctx->handles.heap);
    tymlp::host_release(ctx);
}

// A fresh mini host and a context with every default.
class ContextTest : public ::testing::Test {
  protected:
    void SetUp() override {
        host_ = &minihost::install();
        ASSERT_EQ(tymlp::create_context(&ctx_), 0);
    }
    void TearDown() override { destroy_context(ctx_); }

    // Runs end_run and returns the end code the host saw.
    int end_run_code(int end_code) {
        tymlp::LpContext* ctx = ctx_;
        ctx_ = nullptr;  // end_run releases it
        try {
            tymlp::end_run(ctx, end_code);
        } catch (const minihost::StepEnded& e) {
            return e.end_code;
        }
        return -1;
    }

    std::vector<std::string> texts_of(int number) const {
        std::vector<std::string> out;
        for (const auto& m : host_->messages)
            if (m.number == number) out.push_back(m.args.empty() ? std::string() : m.args[0]);
        return out;
    }

    minihost::State* host_ = nullptr;
    tymlp::LpContext* ctx_ = nullptr;
};

}  // namespace spine_test
