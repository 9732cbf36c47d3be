#include "link/answer_check.h"
#include "windows/job_context.h"

#include <QCoreApplication>

QString run_status_text(Job job, const ExchangeOutcome &outcome)
{
    using Kind = ExchangeOutcome::Kind;
    if (outcome.kind == Kind::stopped)
        return QCoreApplication::translate("MainWindow", "Обмен остановлен");
    switch (job) {
    case Job::poll:
        return outcome.kind == Kind::bad_answer ? QCoreApplication::translate("MainWindow", "Некорректные данные")
                                                : QCoreApplication::translate("MainWindow", "Соединение отсутствует");
    case Job::archive:
        return outcome.kind == Kind::bad_answer ? QCoreApplication::translate("MainWindow", "Неверные данные")
                                                : QCoreApplication::translate("MainWindow", "Соединение отсутствует");
    case Job::write: {
        const QString exception = exception_message(outcome.exception_code);
        return exception.isEmpty() ? QCoreApplication::translate("MainWindow", "Запись не подтверждена") : exception;
    }
    }
    return QString();
}
