#pragma once

// A stand-in for the platform services in widget tests: records every box and file dialog,
// answers questions and file dialogs from queues, and never blocks.
#include "Platform.h"

#include <QQueue>
#include <QString>
#include <QStringList>

class CFakePlatform : public CPlatform
{
public:
    struct CQuestion
    {
        QString text;
        QString title;
    };

    // Texts of the error boxes shown, in order (file-error reports included).
    QStringList m_errors;
    QList<CQuestion> m_questions;
    // Filters the file dialog was opened with, one per opening.
    QStringList m_filters;
    QStringList m_openedReports;

    // Answers for the questions; an empty queue answers No.
    QQueue<bool> m_answers;
    // Files the user "chooses"; an empty queue, or an empty path, cancels the dialog.
    QQueue<QString> m_files;

    void ErrorBox(QWidget*, const QString& text) override { m_errors.append(text); }

    bool Question(QWidget*, const QString& text, const QString& title) override
    {
        m_questions.append({text, title});
        return !m_answers.isEmpty() && m_answers.dequeue();
    }

    bool ChooseFile(QWidget*, const QString& filter, QString& path) override
    {
        m_filters.append(filter);
        if (m_files.isEmpty())
            return false;
        const QString chosen = m_files.dequeue();
        if (chosen.isEmpty())
            return false;
        path = chosen;
        return true;
    }

    void OpenReport(const QString& path) override { m_openedReports.append(path); }
};
