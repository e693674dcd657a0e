// Where our windows go for them to lie as deep in the window manager's stack
// as they lay before: the arithmetic, without a window manager.
#include "platform/StackOrder.h"

#include <gtest/gtest.h>

using namespace klipo::platform;

namespace {

// Our windows: 1 (the preferences), 2 (the library), 3 (a pin, kept above).
// Other programs': 10 (a browser), 11 (a terminal), 12 (a panel, kept above).
const QList<quint32> kOurs{1, 2, 3};

QList<StackedWindow> stack(std::initializer_list<quint32> bottomToTop)
{
    QList<StackedWindow> windows;
    for (quint32 id : bottomToTop) windows.append({id, id == 3 || id == 12 ? StackLayer::above : StackLayer::normal});
    return windows;
}

}  // namespace

TEST(StackOrderTest, movesForRisen_PutOursBackBelowWhatTheyLayBelow_AndNothingElse)
{
    const struct {
        const char* what;
        QList<StackedWindow> before, now;
        QList<StackMove> moves;
    } cases[] = {
        {"nothing moved", stack({1, 2, 10, 11}), stack({1, 2, 10, 11}), {}},
        {"shown again below the focused window (mutter)",
         stack({1, 2, 10, 11}),
         stack({1, 10, 2, 11}),
         {{2, 10}, {1, 2}}},
        {"both shown again on top (xfwm4)", stack({1, 2, 10, 11}), stack({10, 11, 1, 2}), {{2, 10}, {1, 2}}},
        {"one between two programs, raised over both", stack({10, 2, 11}), stack({10, 11, 2}), {{2, 11}}},
        {"the window above it closed meanwhile", stack({1, 2, 10, 11}), stack({11, 1, 2}), {{2, 11}, {1, 2}}},
        {"a pin raised over a panel, in its own layer", stack({2, 10, 3, 12}), stack({2, 10, 12, 3}), {{3, 12}}},
        {"ours on top stay on top", stack({10, 11, 2}), stack({10, 11, 2}), {}},
        {"ours gone meanwhile", stack({1, 2, 10}), stack({10}), {}},
        {"a window that came meanwhile is no reason", stack({2, 10}), stack({2, 10, 11}), {}},
        {"nothing known before", {}, stack({10, 2}), {}},
    };
    for (const auto& c : cases) EXPECT_EQ(movesForRisen(c.before, c.now, kOurs), c.moves) << c.what;
}

TEST(StackOrderTest, movesBackTo_PlaceEachBelowItsNearestNeighbourThere_FromTheTopDown)
{
    const struct {
        const char* what;
        QList<quint32> present;
        QList<StackMove> moves;
    } cases[] = {
        {"all there", {1, 2, 10, 11, 12}, {{2, 10}, {1, 2}}},
        {"the browser gone: below the terminal", {1, 2, 11, 12}, {{2, 11}, {1, 2}}},
        {"nothing of its layer above it: on top", {1, 2, 12}, {{2, 0}, {1, 2}}},
        {"the library not shown", {1, 10, 11}, {{1, 10}}},
    };
    for (const auto& c : cases) EXPECT_EQ(movesBackTo(stack({1, 2, 10, 11, 12}), c.present, {1, 2}), c.moves) << c.what;
}
