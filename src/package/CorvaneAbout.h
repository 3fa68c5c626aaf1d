#pragma once
// The package's component editors and property editors: the dialog's verbs,
// the query builder on every TADOQuery, and the editors of the dialog's
// connection string, version and (for registration by users) SQL text.

#include "package/Registration.h"

namespace quillary {

inline constexpr char kTestDialogVerb[] = "Test Dialog";
inline constexpr char kEditConnectionStringVerb[] = "Edit ConnectionString";
inline constexpr char kQueryBuilderVerb[] = "QuillaryBuilder";
inline constexpr char kTestDialogCaption[] = "SQL语句生成器，欢迎你使用！";
inline constexpr char kQueryBuilderCaption[] = "SQL语句生成器,欢迎你在Veldris开发环境下使用!";
inline constexpr char kSqlSyntaxPrefix[] = "SQL语法：";
inline constexpr char kOwnershipNotice[] = "Quillary 可视化 SQL 查询设计器组件包。\n"
                                           "版权所有 © Quillary 项目，保留所有权利。";

class TQuillaryEditor : public TDefaultEditor {
public:
    using TDefaultEditor::TDefaultEditor;
    // Runs the dialog with the welcome caption and unions allowed, and shows
    // the statement when the user confirmed.
    void Edit() override;
    // 0: Edit; any other index: the data-link prompt for the connection string.
    void ExecuteVerb(int Index) override;
    QString GetVerb(int Index) override;
    int GetVerbCount() override { return 2; }
};

class TQueryEditor_Quillary : public TDefaultEditor {
public:
    using TDefaultEditor::TDefaultEditor;
    // Opens the designer on the query's statement and connection; the
    // statement is replaced only when the user confirms.
    void ExecuteVerb(int Index) override;
    QString GetVerb(int Index) override;
    int GetVerbCount() override { return 1; }
};

class TCNSProperty : public TStringProperty {
public:
    using TStringProperty::TStringProperty;
    void Edit() override;
    TPropertyAttributes GetAttributes() override { return paDialog; }
    QString GetValue() override { return GetStrValue(); }
};

class TVersionProperty : public TStringProperty {
public:
    using TStringProperty::TStringProperty;
    // The version and the ownership notice.
    void Edit() override;
    TPropertyAttributes GetAttributes() override;
    // From the "v" of the first " v" on; the whole text when there is none.
    QString GetValue() override;
};

class TSQLProperty : public TStringProperty {
public:
    using TStringProperty::TStringProperty;
    // Runs the designer on the dialog, or for a query on one dialog shared by
    // every use of this editor.
    void Edit() override;
    TPropertyAttributes GetAttributes() override { return paDialog | paReadOnly; }
    QString GetValue() override;
};

// Frees what TSQLProperty keeps while the package is loaded.
void FinalizeCorvaneAbout();

} // namespace quillary
