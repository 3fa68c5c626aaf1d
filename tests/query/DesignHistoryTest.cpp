#include "DesignBuilder.h"

#include "query/ColumnPages.h"
#include "query/DesignHistory.h"

#include <gtest/gtest.h>

using namespace quillary;
using namespace quillary::test;

namespace {

QueryDesign WithRows(int rows) {
    QueryDesign d;
    for (int i = 0; i < rows; ++i)
        d.ConditionRows.append({"t.a", "=", QString::number(i), {}});
    return d;
}

} // namespace

TEST(DesignHistory, UndoAndRedoWalkTheStepsAndANewEditForgetsTheUndone) {
    TDesignHistory h;
    EXPECT_FALSE(h.Record(WithRows(0))) << "the first state is the start";
    EXPECT_TRUE(h.Record(WithRows(1)));
    EXPECT_FALSE(h.Record(WithRows(1))) << "nothing changed";
    EXPECT_TRUE(h.Record(WithRows(2)));
    EXPECT_EQ(h.Undo(), WithRows(1));
    EXPECT_EQ(h.Undo(), WithRows(0));
    EXPECT_FALSE(h.CanUndo());
    EXPECT_EQ(h.Redo(), WithRows(1));
    EXPECT_TRUE(h.CanRedo());
    EXPECT_TRUE(h.Record(WithRows(5)));
    EXPECT_FALSE(h.CanRedo()) << "the undone step is gone";
    EXPECT_EQ(h.Undo(), WithRows(1));
}

TEST(DesignHistory, WhatTheDesignerDerivesIsNoStepOfItsOwn) {
    TCatalogue c;
    c.Table("t", {"a", "b"});
    TDesignBuilder b(c);
    b.Box("t").Tick("t.a");
    TDesignHistory h;
    h.Reset(b.Design());
    QueryDesign merged = b.Design();
    TS_DisplayEnter(merged);
    ASSERT_NE(merged, b.Design());
    EXPECT_FALSE(h.Record(merged)) << "entering the display page is no edit";
    EXPECT_EQ(h.Current(), merged);
    merged.DisplayRows[0][2] = "alias";
    EXPECT_TRUE(h.Record(merged)) << "an alias typed there is";
}

TEST(DesignHistory, KeepsItsNewestStepsWithinItsLimits) {
    TDesignHistory bySteps(100);
    for (int i = 0; i <= 150; ++i)
        bySteps.Record(WithRows(i));
    EXPECT_EQ(bySteps.Steps(), 100);
    int undos = 0;
    while (bySteps.CanUndo()) {
        bySteps.Undo();
        ++undos;
    }
    EXPECT_EQ(undos, 99);
    EXPECT_EQ(bySteps.Current(), WithRows(51));

    const qsizetype big = TDesignHistory::EstimateBytes(WithRows(1000));
    TDesignHistory byBytes(1000, 5 * big);
    for (int i = 0; i < 20; ++i)
        byBytes.Record(WithRows(1000 + i));
    EXPECT_LE(byBytes.Steps(), 5);
    EXPECT_GE(byBytes.Steps(), 4);
}
