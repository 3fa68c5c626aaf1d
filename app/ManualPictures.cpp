// quillary --manual-pictures FOLDER: takes the pictures of the user manual
// from the real windows, offscreen, on the sample database. Run it again
// whenever the windows change (tools/dev pictures).
#include "Unattended.h"

#include "db/ADOQuery.h"
#include "db/DataLinkPrompt.h"
#include "db/SampleDatabase.h"
#include "designer/DesignerFont.h"
#include "designer/Frm_Quillary.h"
#include "designer/LoginParm.h"
#include "designer/QBArea.h"
#include "designer/QBLink.h"
#include "designer/QBTable.h"
#include "designer/QuillaryDialog.h"
#include "platform/UserInteraction.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextStream>
#include <QToolBar>

namespace quillary {

namespace {

class TPictureTaker final : public TUnattendedUi {
public:
    explicit TPictureTaker(const QString& folder) : m_folder(folder) {}

    int ShowModal(QDialog* form) override {
        if (auto* designer = qobject_cast<TFrm_Quillary*>(form)) Photograph(*designer);
        return mrCancel;
    }

    // Full colour: a palette of 256 breaks the smoothed glyphs of the text.
    void Save(QWidget* widget, const QString& name) {
        QApplication::processEvents();
        const QImage image = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QString file = QDir(m_folder).filePath(name + QStringLiteral(".png"));
        if (image.save(file)) {
            QTextStream(stdout) << file << "  " << QFileInfo(file).size() / 1024 << " KB"
                                << Qt::endl;
        } else {
            QTextStream(stderr) << "cannot write " << file << Qt::endl;
            Failed = true;
        }
    }

    bool Failed = false;

private:
    void Photograph(TFrm_Quillary& form) {
        form.show();
        QApplication::processEvents();
        // The tables as placed, joined along their foreign keys; then a few
        // ticked columns, as a user would leave them, and outer joins.
        const QList<TQBTable*> boxes = PlaceDemoTables(form);
        Save(form.Canvas(), QStringLiteral("tables"));
        for (TQBTable* box : boxes)
            for (int row = 1; row < std::min(4, box->FieldList->count()); ++row)
                box->FieldList->item(row)->setCheckState(Qt::Checked);
        SetJoinTypes(form, {1, 2});
        Save(&form, QStringLiteral("window"));
        Save(form.ToolBar1, QStringLiteral("toolbar"));
        Save(form.Panel1, QStringLiteral("tablelist"));
        Save(form.Canvas(), QStringLiteral("links"));

        const QList<QPair<int, const char*>> pages = {
            {TFrm_Quillary::pgOrder, "page-order"},
            {TFrm_Quillary::pgCondition, "page-condition"},
            {TFrm_Quillary::pgCompute, "page-compute"},
            {TFrm_Quillary::pgDisplay, "page-display"}};
        for (const auto& [page, name] : pages) {
            form.PageControl1->setCurrentIndex(page);
            Save(form.P_bottom, QString::fromLatin1(name));
        }
        form.PageControl1->setCurrentIndex(TFrm_Quillary::pgSQL);
        const QString statement = QStringLiteral(
            "select customers.CompanyName, orders.OrderID, orders.OrderDate\n"
            "from customers inner join orders on customers.CustomerID = orders.CustomerID\n"
            "order by orders.OrderDate desc");
        if (form.Memo1->toPlainText().trimmed().isEmpty()) form.Memo1->setPlainText(statement);
        Save(form.P_bottom, QStringLiteral("sql"));

        form.ResQuery->SQL() = QStringList{QStringLiteral("select * from customers")};
        try {
            form.ResQuery->Open();
        } catch (const std::exception& e) {
            QTextStream(stderr) << "(result page) " << e.what() << Qt::endl;
        }
        form.PageControl1->setCurrentIndex(TFrm_Quillary::pgQuery);
        Save(form.P_bottom, QStringLiteral("result"));
        form.PageControl1->setCurrentIndex(TFrm_Quillary::pgExecute);
        form.MExcuteSQL->setPlainText(
            QStringLiteral("update products set UnitPrice = UnitPrice * 1.1\n"
                           "where CategoryID = 2 -- 调价"));
        Save(form.P_bottom, QStringLiteral("execute"));

        // A rebuilt statement of four tables, laid out along its joins, in a
        // window wide enough for them.
        const QSize size = form.size();
        form.resize(1000, size.height());
        QApplication::processEvents();
        form.Forge(QStringLiteral(
            "select c.CompanyName, o.OrderDate, p.ProductName, i.Quantity\n"
            "from customers c join orders o on c.CustomerID = o.CustomerID\n"
            "left join order_items i on o.OrderID = i.OrderID\n"
            "join products p on i.ProductID = p.ProductID"));
        form.ArrangeClick();
        SetJoinTypes(form, {0, 1, 3});
        Save(form.Canvas(), QStringLiteral("arranged"));
        form.resize(size);

        form.ShowUnionPanel();
        Save(form.Canvas(), QStringLiteral("union"));
        form.hide();
    }

    // The links of the canvas in creation order take these join types.
    static void SetJoinTypes(TFrm_Quillary& form, const QList<int>& types) {
        const QList<TQBLink*>& links = form.Canvas()->Links();
        for (qsizetype i = 0; i < links.size() && i < types.size(); ++i) {
            links[i]->JoinType = types[i];
            form.Canvas()->ReboundLink(links[i]);
        }
        form.Canvas()->Surface()->update();
    }

    QString m_folder;
};

} // namespace

int RunManualPictures(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setFont(DesignerFont());
    QTextStream err(stderr);
    const QStringList args = QApplication::arguments();
    const qsizetype at = args.indexOf(QStringLiteral("--manual-pictures"));
    if (at < 0 || at + 1 >= args.size()) {
        err << "usage: quillary --manual-pictures FOLDER" << Qt::endl;
        return 2;
    }
    const QString folder = args.at(at + 1);
    QDir().mkpath(folder);

    // A fresh sample database, so that the pictures do not depend on the user's.
    QTemporaryDir scratch;
    const QString database = scratch.filePath(QStringLiteral("sample.db"));
    QString error;
    if (!EnsureSampleDatabase(database, &error)) {
        err << "cannot build the sample database: " << error << Qt::endl;
        return 1;
    }
    const QString csn = SqliteConnectionString(database);

    TPictureTaker taker(folder);
    TUserInteraction* previous = SetUi(&taker);
    TQuillaryDialog dialog;
    dialog.IsAllowChangeCSN = true;
    dialog.IsAllowUnion = true;
    dialog.IsDesignCommands = true; // the tool bar as the program shows it
    dialog.Form_Width = 860;
    dialog.Form_Height = 600;
    dialog.SetConnectionString(csn);
    dialog.Execute();

    TForm2 login;
    login.Edit1->setText(QStringLiteral("sa"));
    login.show();
    taker.Save(&login, QStringLiteral("login"));
    TDataLinkDialog link;
    // A path that reads well and stays the same between retakes.
    link.SetConnectionString(QStringLiteral("Provider=SQLite;Data Source=/home/user/sample.db"));
    link.show();
    taker.Save(&link, QStringLiteral("datalink"));
    SetUi(previous);
    return taker.Failed ? 1 : 0;
}

} // namespace quillary
