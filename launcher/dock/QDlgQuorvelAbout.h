#pragma once

#include <QDialog>
#include <QString>
#include <QUrl>

class QTableWidget;

namespace Ui {
class QDlgQuorvelAboutClass;
}

// The launcher's About box: product and module versions, the two makers'
// web sites and a details toggle for the module table. No key closes it.
class QDlgQuorvelAbout : public QDialog
{
    Q_OBJECT

public:
    enum RowKind { ModuleRow = 0, ProductRow = 2 };

    QDlgQuorvelAbout(const QString &buildId, QWidget *parent, Qt::WindowFlags flags);
    ~QDlgQuorvelAbout() override;

    // Name, version and date shown in a version row.
    void fillVersionRow(RowKind kind, QString &name, QString &version, QString &date) const;

    static QString versionText(quint32 packedVersion);
    static QUrl machineMakerSite();
    static QUrl softwareMakerSite();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private slots:
    void on_m_cmdLinkVrandel_clicked();
    void on_m_cmdLinkPrevok_clicked();
    void on_m_pbViewModules_clicked();

private:
    void fillRow(QTableWidget *table, RowKind kind);
    void setDetailsVisible(bool visible);

    Ui::QDlgQuorvelAboutClass *m_ui;
    QString m_buildId;

    Q_DISABLE_COPY(QDlgQuorvelAbout)
};
