#pragma once
#include "CTransferProgress.h"

#include <QDialog>
#include <QStringList>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

// The progress of a backup or a restore: files, bytes, rate and time left, a bar, and Cancel.
// When the run ends the dialog closes by itself, unless it failed or something could not be moved:
// then it says so, lists what and why, and stays until the user closes it.
class CTransferDialog : public QDialog
{
    Q_OBJECT
public:
    CTransferDialog(const QString& title, QWidget* parent = nullptr);

    QStringList Problems() const { return m_problems; }

signals:
    void DoCancel();

public slots:
    void OnProgress(const CTransferProgress& progress, const QStringList& files, const QStringList& problems);
    // The run is over: `text` says how it went. A run that was not `complete` keeps the dialog
    // open with the text and what could not be moved.
    void OnFinished(bool complete, const QString& text);

protected:
    void reject() override;

private:
    QLabel* m_files;
    QLabel* m_bytes;
    QLabel* m_rate;
    QLabel* m_left;
    QLabel* m_summary;
    QProgressBar* m_bar;
    QPlainTextEdit* m_problemList;
    QPushButton* m_button;
    QStringList m_problems;
    bool m_done = false;
};
