#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

// Takes the place of the system's URL handler for one scheme, so tests see
// what the launcher would open without starting a viewer or a browser.
class UrlRecorder : public QObject
{
    Q_OBJECT

public:
    explicit UrlRecorder(const QString &scheme, QObject *parent = nullptr);
    ~UrlRecorder() override;

    QList<QUrl> urls;

public slots:
    void openUrl(const QUrl &url);

private:
    QString m_scheme;
};
