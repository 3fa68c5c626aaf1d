#include "DesignBuilder.h"

#include "query/Skeletons.h"
#include "sqltext/DataSourceKind.h"

#include <gtest/gtest.h>

using namespace quillary;
using namespace quillary::test;

namespace {

TCatalogue Shop() {
    TCatalogue c;
    c.Table("Emp", {"id:3", "name", "did:3"}).Table("Dept", {"id:3", "title"});
    return c;
}

QStringList Lines(const TSkeletonResult& r) {
    return r.Text.split("\r\n");
}

} // namespace

TEST(InsertSkeleton, ListsTheTickedFieldsInFieldListOrder) {
    const TCatalogue c = Shop();
    TDesignBuilder b(c);
    b.Box("Emp", "e").Tick("e.name").Tick("e.id");
    const TSkeletonResult r = InsertSkeleton(b);
    EXPECT_FALSE(r.Refused());
    EXPECT_EQ(r.Text, "Insert into Emp (id,name) values()")
        << "table name, not alias; the field list's order, not the ticking order";
}

TEST(InsertSkeleton, RefusesWithoutExactlyOneTableWithTicks) {
    const TCatalogue c = Shop();
    TDesignBuilder none(c), two(c), unticked(c);
    two.Box("Emp").Box("Dept").Tick("Emp.id");
    unticked.Box("Emp");
    EXPECT_EQ(InsertSkeleton(none).Message, "没有选择表");
    EXPECT_EQ(InsertSkeleton(two).Message, "只能选择一张表");
    EXPECT_EQ(InsertSkeleton(unticked).Message, "没有选中列");
}

TEST(UpdateSkeleton, OneTableAndALinkedOneLineByLine) {
    const TCatalogue c = Shop();
    TDesignBuilder b(c);
    b.Box("Emp").Tick("Emp.id").Tick("Emp.name").Where({"id", "=", "1", ""});
    const QStringList set = {"Update Emp set ", "id=,", "name="};
    EXPECT_EQ(Lines(UpdateSkeleton(b, dsAccess)), set + QStringList{"where id=1"});
    b.Box("Dept").Link("Emp.did", "Dept.id");
    EXPECT_EQ(Lines(UpdateSkeleton(b, dsSqlServer)),
              set + QStringList({"from  Dept ", "where Emp.did=Dept.id and (id=1)"}));
    // Access: no FROM line, the link still restricts.
    EXPECT_EQ(Lines(UpdateSkeleton(b, dsAccess)),
              set + QStringList{"where Emp.did=Dept.id and (id=1)"});
}

TEST(UpdateSkeleton, FromListOnSybaseNamesTablesAndBracketsSubQueries) {
    const TCatalogue c = Shop();
    TDesignBuilder b(c);
    b.Box("Dept", "d").Box("Emp", "e").SubQuery("Q", "select id from Emp").Tick("e.name");
    b.Link("e.did", "d.id").Where({"e.id", ">", "1", "or"}).Where({"e.id", "<", "0", ""});
    EXPECT_EQ(Lines(UpdateSkeleton(b, dsSybase)),
              QStringList({"Update Emp set ", "name=", "from  Dept , (select id from Emp) Q ",
                           "where Emp.did=Dept.id and (e.id>1 or e.id<0)"}))
        << "links by table names, conditions as the grid holds them";
}

TEST(UpdateSkeleton, Refusals) {
    const TCatalogue c = Shop();
    TDesignBuilder none(c), unticked(c), both(c), outer(c);
    unticked.Box("Emp");
    both.Box("Emp").Box("Dept").Tick("Emp.id").Tick("Dept.id");
    outer.Box("Emp").Box("Dept").Tick("Emp.id").Link("Emp.did", "Dept.id", 1);
    EXPECT_EQ(UpdateSkeleton(none, dsAccess).Message, "没有选择表");
    EXPECT_EQ(UpdateSkeleton(unticked, dsAccess).Message, "没有表选中列");
    EXPECT_EQ(UpdateSkeleton(both, dsAccess).Message, "有多个表被选中列");
    EXPECT_EQ(UpdateSkeleton(outer, dsAccess).Message, "存在外连接");
}
