#include "platform/gui/gl_format.h"

#include <gtest/gtest.h>

#include "tests/support/case_name.h"

namespace {

using pgui::GlFormatRequest;
using pgui::GrantedFormat;

GrantedFormat Exactly(const GlFormatRequest& r) {
    return {true, true, r.stereo, 8, 8, 8, r.depthBits, r.stencilBits};
}
// What Qt does on a display without stereo: the stereo request "succeeds" with neither
// stereo nor depth nor stencil; mono depth 32 with stencil falls back to 24.
GrantedFormat NoStereoDisplay(const GlFormatRequest& r) {
    if (r.stereo) return {true, true, false, 8, 8, 8, 0, 0};
    return {true, true, false, 8, 8, 8, 24, 8};
}

struct ChooseCase {
    const char* name;
    GrantedFormat (*probe)(const GlFormatRequest&);
    GlFormatRequest want;
};
const ChooseCase kChooseCases[] = {
    {"StereoDisplayGetsStereoDepth32", Exactly, {true, 32, 8}},
    {"StereoDroppedSilentlyFallsBackToMono24", NoStereoDisplay, {false, 24, 8}},
    {"StereoOnlyWithDepth24",
     [](const GlFormatRequest& r) {
         return GrantedFormat{true, true, r.stereo, 8, 8, 8, 24, 8};
     },
     {true, 24, 8}},
    {"StereoWithoutStencilIsRefused",
     [](const GlFormatRequest& r) {
         return GrantedFormat{true, true, r.stereo, 8, 8, 8, r.depthBits, r.stereo ? 0 : 8};
     },
     {false, 32, 8}},
    {"ShallowColourIsRefused",
     [](const GlFormatRequest& r) {
         return GrantedFormat{true, true, r.stereo, 5, 6, 5, r.depthBits, r.stencilBits};
     },
     {false, 24, 8}},
    {"NoContextAtAllEndsAtTheLastCandidate", [](const GlFormatRequest&) { return GrantedFormat{}; },
     {false, 24, 8}},
    {"SingleBufferedIsRefused",
     [](const GlFormatRequest& r) {
         return GrantedFormat{true, false, r.stereo, 8, 8, 8, r.depthBits, r.stencilBits};
     },
     {false, 24, 8}},
};

class ChooseGlFormatTest : public ::testing::TestWithParam<ChooseCase> {};

TEST_P(ChooseGlFormatTest, JudgesEachCandidateByWhatWasGranted) {
    const ChooseCase& c = GetParam();
    const GlFormatRequest got = pgui::ChooseGlFormat(c.probe);
    EXPECT_EQ(got.stereo, c.want.stereo);
    EXPECT_EQ(got.depthBits, c.want.depthBits);
    EXPECT_EQ(got.stencilBits, c.want.stencilBits);
}
INSTANTIATE_TEST_SUITE_P(Cases, ChooseGlFormatTest, ::testing::ValuesIn(kChooseCases),
                         CaseName());

TEST(ChooseGlFormat, StopsProbingAtTheFirstCandidateThatMeets) {
    int probes = 0;
    pgui::ChooseGlFormat([&probes](const GlFormatRequest& r) {
        ++probes;
        return Exactly(r);
    });
    EXPECT_EQ(probes, 1);  // every probe opens a window and a context
}

}  // namespace
