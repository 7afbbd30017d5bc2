#include "CTransferDialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kBarSteps = 1000;
} // namespace

CTransferDialog::CTransferDialog(const QString& title, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(title);
    setWindowModality(Qt::WindowModal);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_files = new QLabel(this);
    m_bytes = new QLabel(this);
    m_rate = new QLabel(this);
    m_left = new QLabel(this);
    form->addRow(tr("Files:"), m_files);
    form->addRow(tr("Data:"), m_bytes);
    form->addRow(tr("Rate:"), m_rate);
    form->addRow(tr("Time left:"), m_left);
    layout->addLayout(form);
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, kBarSteps);
    m_bar->setValue(0);
    layout->addWidget(m_bar);
    m_summary = new QLabel(this);
    m_summary->setWordWrap(true);
    m_summary->hide();
    layout->addWidget(m_summary);
    m_problemList = new QPlainTextEdit(this);
    m_problemList->setReadOnly(true);
    m_problemList->hide();
    layout->addWidget(m_problemList, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_button = new QPushButton(tr("Cancel"), this);
    buttons->addWidget(m_button);
    layout->addLayout(buttons);
    connect(m_button, SIGNAL(clicked()), this, SLOT(reject()));
    OnProgress(CTransferProgress(), QStringList(), QStringList());
    resize(520, 220);
}

void CTransferDialog::OnProgress(const CTransferProgress& progress, const QStringList& files,
                                 const QStringList& problems)
{
    Q_UNUSED(files);
    m_files->setText(progress.FilesText());
    m_bytes->setText(progress.BytesText());
    m_rate->setText(progress.RateText());
    m_left->setText(progress.TimeLeftText());
    // By bytes when there are any, else by files (a tree of empty files still moves on).
    double part = 0;
    if (progress.bytesTotal > 0)
        part = double(progress.bytesDone) / double(progress.bytesTotal);
    else if (progress.filesTotal > 0)
        part = double(progress.filesDone) / double(progress.filesTotal);
    m_bar->setValue(int(qBound(0.0, part, 1.0) * kBarSteps));
    if (!problems.isEmpty()) {
        m_problems << problems;
        for (const QString& p : problems)
            m_problemList->appendPlainText(p);
        m_problemList->show();
    }
}

void CTransferDialog::OnFinished(bool complete, const QString& text)
{
    m_done = true;
    if (complete && m_problems.isEmpty()) {
        accept();
        return;
    }
    // The texts come from the run, which writes them for a log line: the dialog starts a sentence.
    QString shown = text;
    if (!shown.isEmpty())
        shown[0] = shown[0].toUpper();
    m_summary->setText(m_problems.isEmpty() ? shown : shown + QLatin1Char('\n') + tr("These could not be moved:"));
    m_summary->show();
    m_button->setText(tr("Close"));
    m_button->setEnabled(true);
    resize(width(), qMax(height(), 420));
}

void CTransferDialog::reject()
{
    if (m_done) {
        QDialog::reject();
        return;
    }
    // The run stops at its next step and then finishes as usual, which closes the dialog.
    m_button->setEnabled(false);
    m_button->setText(tr("Cancelling..."));
    emit DoCancel();
}
