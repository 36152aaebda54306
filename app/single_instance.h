#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QString>

#include <memory>

// One running copy per user: a lock file marks the first instance, and a local socket of the
// same name lets a later start ask it to bring its window forward.
class SingleInstance : public QObject {
    Q_OBJECT
  public:
    enum class Outcome { FirstInstance, AnotherRuns, Failed };

    explicit SingleInstance(const QString& instanceName, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock, or asks the running instance to show its window. `windowTitle` is the
    // title by which the running instance finds the window to activate.
    Outcome Claim(const QString& windowTitle);

  private:
    void OnActivationRequest();
    QString RuntimePath(const QString& suffix) const;

    QString m_instanceName;
    QString m_windowTitle;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer m_server;
};

// Shows (if hidden), raises and activates the top-level window titled `title`; returns whether
// one was found.
bool ActivateWindowByTitle(const QString& title);
