#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QString>

#include <memory>

class QLocalSocket;
class QWidget;

// One running copy per user: a lock file marks the first instance, and a local socket of the
// same name lets a later start bring its window forward and hand it the file it was given.
class SingleInstance : public QObject {
    Q_OBJECT
  public:
    enum class Outcome { FirstInstance, AnotherRuns, FileNotTaken, Failed };

    explicit SingleInstance(const QString& instanceName, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock, or asks the running instance to show its window and take `file` (when not
    // empty). `windowTitle` is the title by which the running instance finds that window.
    // FileNotTaken: another instance runs, but its window did not take the file in time.
    Outcome Claim(const QString& windowTitle, const QString& file = QString());

  private:
    void OnConnection();
    void OnRequestBytes(QLocalSocket* client, std::string* received);
    bool AskRunningInstance(const QString& file);
    QString RuntimePath(const QString& suffix) const;

    QString m_instanceName;
    QString m_windowTitle;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer m_server;
};

// Shows (if hidden) or restores (if minimised), raises and activates the top-level window titled
// `title`; returns it, or nullptr when there is none.
QWidget* ActivateWindowByTitle(const QString& title);
