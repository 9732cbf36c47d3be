<?xml version='1.0' encoding='utf-8'?>
<TS version="2.1" language="en_US">
<context>
    <name>ArchiveJob</name>
    <message>
        <source>Идет чтение архива</source>
        <translation>Reading the archive</translation>
    </message>
    <message>
        <source>Архив не прочитан</source>
        <translation>Archive not read</translation>
    </message>
    <message>
        <source>Некорректные параметры чтения</source>
        <translation>Invalid read parameters</translation>
    </message>
    <message>
        <source>Архив прочитан</source>
        <translation>Archive read</translation>
    </message>
    <message>
        <source>Некорректные данные архива</source>
        <translation>Invalid archive data</translation>
    </message>
    <message>
        <source>Архив не записан в журнал: номер счетчика неизвестен, сначала считайте параметры</source>
        <translation>The archive was not kept in the journal: the meter's serial number is unknown, read its parameters first</translation>
    </message>
</context>
<context>
    <name>Collector</name>
    <message>
        <source>Журнал %1 уже пишет другой сборщик (процесс %2 на %3); этот останавливается</source>
        <translation>Another collector writes the journal %1 (process %2 on %3); this one stops</translation>
    </message>
    <message>
        <source>Журнал не успевает, не записано: %1</source>
        <translation>The journal falls behind, not kept: %1</translation>
    </message>
    <message>
        <source>Сервер журнала %1 потерян (%2); чтения ждут его в очереди</source>
        <translation>The journal server %1 is lost (%2); the reads wait for it in the queue</translation>
    </message>
    <message>
        <source>Сервер журнала %1 снова доступен; записано из очереди: %2</source>
        <translation>The journal server %1 is back; written from the queue: %2</translation>
    </message>
    <message>
        <source>Не записаны в журнал:
  </source>
        <translation>Not kept in the journal:
  </translation>
    </message>
    <message>
        <source>Круг %1: считано %2 из %3 счетчиков на %4 линиях за %5 с, запросов %6</source>
        <translation>Round %1: %2 of %3 meters read on %4 lines in %5 s, %6 requests</translation>
    </message>
    <message>
        <source>Не считаны:
</source>
        <translation>Not read:
</translation>
    </message>
    <message>
        <source>Журнал не принял все чтения за %1 с</source>
        <translation>The journal did not take every read in %1 s</translation>
    </message>
    <message>
        <source>Сервер журнала %1 снова доступен; линии круга раздаются дальше</source>
        <translation>The journal server %1 is back; the round's lines are handed out again</translation>
    </message>
    <message>
        <source>Сервер журнала %1 потерян (%2); линии круга ждут его</source>
        <translation>The journal server %1 is lost (%2); the round's lines wait for it</translation>
    </message>
    <message>
        <source>Не записано в журнал: %1</source>
        <translation>Not kept in the journal: %1</translation>
    </message>
    <message>
        <source>сервер журнала отклонил вход</source>
        <translation>the journal server turned the login away</translation>
    </message>
    <message>
        <source>журнал не ведется</source>
        <translation>the journal is not kept</translation>
    </message>
    <message>
        <source>линия не роздана: %1</source>
        <translation>line not handed out: %1</translation>
    </message>
    <message>
        <source>сбор остановлен</source>
        <translation>collection stopped</translation>
    </message>
    <message>
        <source>Круг %1 остановлен: считано %2 из %3 счетчиков</source>
        <translation>Round %1 stopped: %2 of %3 meters read</translation>
    </message>
    <message>
        <source>нет</source>
        <translation>none</translation>
    </message>
    <message>
        <source>нет ответа %1 с</source>
        <translation>no answer for %1 s</translation>
    </message>
    <message>
        <source>сертификат сервера журнала не принят</source>
        <translation>the journal server's certificate was not accepted</translation>
    </message>
    <message>
        <source>Журнал %1 не принял вход</source>
        <translation>The journal %1 turned the login away</translation>
    </message>
    <message>
        <source>Нет ответа от журнала %1</source>
        <translation>No answer from the journal %1</translation>
    </message>
    <message>
        <source>%1: круг %2 читает все линии без раздачи</source>
        <translation>%1: round %2 reads every line without handing them out</translation>
    </message>
    <message>
        <source>%1: круг %2 читает без раздачи линии прошлого круга этого сборщика: %3</source>
        <translation>%1: round %2 reads, without handing them out, the lines this collector read in its last round: %3</translation>
    </message>
</context>
<context>
    <name>Commissioning</name>
    <message>
        <source>Дата сохранения</source>
        <translation>Save date</translation>
    </message>
    <message>
        <source>Код скорости обмена</source>
        <translation>Baud rate code</translation>
    </message>
    <message>
        <source>Параметры битов четности</source>
        <translation>Parity and stop bits</translation>
    </message>
    <message>
        <source>Время компьютера</source>
        <translation>The computer's clock</translation>
    </message>
    <message>
        <source>Введите серийные номера: 12 шестнадцатеричных цифр каждый</source>
        <translation>Type the serial numbers: 12 hex digits each</translation>
    </message>
    <message>
        <source>Поиск по серийным номерам: %1</source>
        <translation>Looking up serial numbers: %1</translation>
    </message>
    <message>
        <source>Выберите счетчики, найденные по серийному номеру</source>
        <translation>Select meters found by serial number</translation>
    </message>
    <message>
        <source>Выберите счетчики</source>
        <translation>Select the meters</translation>
    </message>
    <message>
        <source>Неверная дата сохранения</source>
        <translation>Invalid save date</translation>
    </message>
    <message>
        <source>Записать в выбранные счетчики (%1): %2?</source>
        <translation>Write to the selected meters (%1): %2?</translation>
    </message>
    <message>
        <source>После перезапуска счетчики будут отвечать только так: %1.
При других настройках порта связь с ними пропадет.</source>
        <translation>After a restart the meters will answer only so: %1.
With other port settings they will be out of reach.</translation>
    </message>
    <message>
        <source>Запись отменена</source>
        <translation>Write cancelled</translation>
    </message>
    <message>
        <source>Назначение адресов: %1</source>
        <translation>Assigning addresses: %1</translation>
    </message>
    <message>
        <source>Запись: %1</source>
        <translation>Writing: %1</translation>
    </message>
    <message>
        <source>Поиск прерван: порт не открыт, найдено %1</source>
        <translation>Search cut short: the port is not open, %1 found</translation>
    </message>
    <message>
        <source>Поиск остановлен, найдено %1</source>
        <translation>Search stopped, found %1</translation>
    </message>
    <message>
        <source>Найдено %1 из %2, не ответили: %3</source>
        <translation>%1 of %2 found, no answer from: %3</translation>
    </message>
    <message>
        <source>Найдено %1 из %2</source>
        <translation>%1 of %2 found</translation>
    </message>
    <message>
        <source>Запись прервана: порт не открыт, записано %1 из %2</source>
        <translation>Write cut short: the port is not open, %1 of %2 written</translation>
    </message>
    <message>
        <source>Запись остановлена, записано %1 из %2</source>
        <translation>Write stopped, %1 of %2 written</translation>
    </message>
    <message>
        <source>Записано %1 из %2</source>
        <translation>%1 of %2 written</translation>
    </message>
    <message>
        <source>Адреса заняты другими счетчиками и пропущены: %1</source>
        <translation>Addresses taken by other meters, passed over: %1</translation>
    </message>
</context>
<context>
    <name>ConsumptionWindow</name>
    <message>
        <source>Расход за период</source>
        <translation>Consumption over a period</translation>
    </message>
    <message>
        <source>Сохранить в файл</source>
        <translation>Save to file</translation>
    </message>
    <message>
        <source>Сохранить расход</source>
        <translation>Save the consumption</translation>
    </message>
    <message>
        <source>Файлы CSV (*.csv)</source>
        <translation>CSV files (*.csv)</translation>
    </message>
    <message>
        <source>С %1 по %2, счетчиков: %3</source>
        <translation>From %1 to %2, meters: %3</translation>
    </message>
</context>
<context>
    <name>Exchanger</name>
    <message>
        <source>&lt;- ещё %1 байт без запроса не показано</source>
        <translation>&lt;- %1 more bytes without a request not shown</translation>
    </message>
    <message>
        <source>&lt;- (после остановки)</source>
        <translation>&lt;- (after stop)</translation>
    </message>
</context>
<context>
    <name>JournalWindow</name>
    <message>
        <source>Журнал</source>
        <translation>Journal</translation>
    </message>
    <message>
        <source>Серийный номер</source>
        <translation>Serial number</translation>
    </message>
    <message>
        <source>Модель</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>Версия</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>Адрес</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>Показания</source>
        <translation>Reading</translation>
    </message>
    <message>
        <source>Время чтения</source>
        <translation>Read at</translation>
    </message>
    <message>
        <source>Часовой</source>
        <translation>Hourly</translation>
    </message>
    <message>
        <source>Суточный</source>
        <translation>Daily</translation>
    </message>
    <message>
        <source>Месячный</source>
        <translation>Monthly</translation>
    </message>
    <message>
        <source>Сохранить в файл</source>
        <translation>Save to file</translation>
    </message>
    <message>
        <source>Время счетчика</source>
        <translation>Meter time</translation>
    </message>
    <message>
        <source>Обратный поток</source>
        <translation>Reverse flow</translation>
    </message>
    <message>
        <source>Событие</source>
        <translation>Event</translation>
    </message>
    <message>
        <source>С</source>
        <translation>From</translation>
    </message>
    <message>
        <source>по</source>
        <translation>to</translation>
    </message>
    <message>
        <source>Архив</source>
        <translation>Archive</translation>
    </message>
    <message>
        <source>Сохранить архив</source>
        <translation>Save archive</translation>
    </message>
    <message>
        <source>Файлы CSV (*.csv)</source>
        <translation>CSV files (*.csv)</translation>
    </message>
    <message>
        <source>Журнал: %1</source>
        <translation>Journal: %1</translation>
    </message>
    <message>
        <source>Метка</source>
        <translation>Label</translation>
    </message>
    <message>
        <source>Линия</source>
        <translation>Line</translation>
    </message>
    <message>
        <source>Расход за период</source>
        <translation>Consumption over a period</translation>
    </message>
    <message>
        <source>Номер, модель, адрес, метка или линия</source>
        <translation>Serial, model, address, label or line</translation>
    </message>
    <message>
        <source>Поиск</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>Дата «С» неполная или неверная: нужно ДД.ММ.ГГГГ</source>
        <translation>The «from» date is incomplete or wrong: DD.MM.YYYY needed</translation>
    </message>
    <message>
        <source>Дата «по» неполная или неверная: нужно ДД.ММ.ГГГГ</source>
        <translation>The «to» date is incomplete or wrong: DD.MM.YYYY needed</translation>
    </message>
    <message>
        <source>Дата «С» позже даты «по»: период не показан</source>
        <translation>The «from» date is after the «to» date: the period is not shown</translation>
    </message>
</context>
<context>
    <name>LOG_class</name>
    <message>
        <source>Form</source>
        <translation>Form</translation>
    </message>
    <message>
        <source>Сохранить</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Очистить</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>Логи</source>
        <translation>Log</translation>
    </message>
    <message>
        <source>Сохранить лог</source>
        <translation>Save log</translation>
    </message>
    <message>
        <source>Текстовые файлы (*.txt)</source>
        <translation>Text files (*.txt)</translation>
    </message>
    <message>
        <source>Лог не записывается на диск: «Сохранить» запишет только показанные строки</source>
        <translation>The log cannot be kept on disk: "Save" writes the lines shown only</translation>
    </message>
    <message>
        <source>Показаны последние %1 строк; «Сохранить» запишет весь лог</source>
        <translation>Showing the last %1 lines; "Save" writes the whole log</translation>
    </message>
    <message>
        <source>Время компьютера перед каждой строкой, до миллисекунд</source>
        <translation>The computer's time before each line, to the millisecond</translation>
    </message>
    <message>
        <source>Время</source>
        <translation>Time</translation>
    </message>
</context>
<context>
    <name>LineRound</name>
    <message>
        <source>архив прочитан не весь: %1</source>
        <translation>archive read in part: %1</translation>
    </message>
    <message>
        <source>время установлено, смещение %1 с</source>
        <translation>time set, offset %1 s</translation>
    </message>
    <message>
        <source>время установлено, не прочитано обратно</source>
        <translation>time set, not read back</translation>
    </message>
    <message>
        <source>время не установлено: %1</source>
        <translation>time not set: %1</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>%1 из %2</source>
        <translation>%1 of %2</translation>
    </message>
    <message>
        <source>%1 из %2, осталось %3 с</source>
        <translation>%1 of %2, %3 s left</translation>
    </message>
    <message>
        <source>Остановить</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>MainWindow</source>
        <translation>MainWindow</translation>
    </message>
    <message>
        <source>Настройка порта</source>
        <translation>Port settings</translation>
    </message>
    <message>
        <source>Запуск порта</source>
        <translation>Open port</translation>
    </message>
    <message>
        <source>Считать из счетчика параметры и показания</source>
        <translation>Read parameters and readings from the meter</translation>
    </message>
    <message>
        <source>Считать из счетчика архивные показания</source>
        <translation>Read archives from the meter</translation>
    </message>
    <message>
        <source>Открыть архив </source>
        <translation>Open archive </translation>
    </message>
    <message>
        <source>Записать в счетчик</source>
        <translation>Write to the meter</translation>
    </message>
    <message>
        <source>Лог</source>
        <translation>Log</translation>
    </message>
    <message>
        <source>Поиск счетчиков</source>
        <translation>Find meters</translation>
    </message>
    <message>
        <source>Адрес устройств</source>
        <translation>Device address</translation>
    </message>
    <message>
        <source>Код скорости обмена</source>
        <translation>Baud rate code</translation>
    </message>
    <message>
        <source>0 - 1200</source>
        <translation>0 - 1200</translation>
    </message>
    <message>
        <source>1 - 2400</source>
        <translation>1 - 2400</translation>
    </message>
    <message>
        <source>2 - 4800</source>
        <translation>2 - 4800</translation>
    </message>
    <message>
        <source>3 - 9600</source>
        <translation>3 - 9600</translation>
    </message>
    <message>
        <source>Параметры битов четности</source>
        <translation>Parity and stop bits</translation>
    </message>
    <message>
        <source>0x0001 - 1 cт.бит нет проверки на четность</source>
        <translation>0x0001 - 1 stop bit, no parity</translation>
    </message>
    <message>
        <source>0х0002 - 2 ст.бита, нет проверки на четность</source>
        <translation>0x0002 - 2 stop bits, no parity</translation>
    </message>
    <message>
        <source>0х0201 - 1 ст.бит, проверка на нечетность</source>
        <translation>0x0201 - 1 stop bit, odd parity</translation>
    </message>
    <message>
        <source>0x0202 - 2 ст.бит, проверка на нечетность</source>
        <translation>0x0202 - 2 stop bits, odd parity</translation>
    </message>
    <message>
        <source>0х0301 - 1 ст.бит, проверка на четность</source>
        <translation>0x0301 - 1 stop bit, even parity</translation>
    </message>
    <message>
        <source>0х0302 - 2 ст.бит, проверка на четность</source>
        <translation>0x0302 - 2 stop bits, even parity</translation>
    </message>
    <message>
        <source>Дата сохранения</source>
        <translation>Save date</translation>
    </message>
    <message>
        <source>Обращ. по адресу устр.</source>
        <translation>By device address</translation>
    </message>
    <message>
        <source>Обращ. по сер. номеру</source>
        <translation>By serial number</translation>
    </message>
    <message>
        <source>Версия протокола</source>
        <translation>Protocol version</translation>
    </message>
    <message>
        <source>Версия ПО</source>
        <translation>Software version</translation>
    </message>
    <message>
        <source>Идентификатор ПО</source>
        <translation>Software identifier</translation>
    </message>
    <message>
        <source>Модель счетчика</source>
        <translation>Meter model</translation>
    </message>
    <message>
        <source>Число К</source>
        <translation>K number</translation>
    </message>
    <message>
        <source>Порог эл. блока</source>
        <translation>Electronics threshold</translation>
    </message>
    <message>
        <source>Тип устройства</source>
        <translation>Device type</translation>
    </message>
    <message>
        <source>Серийный номер</source>
        <translation>Serial number</translation>
    </message>
    <message>
        <source>Текущие показания</source>
        <translation>Current readings</translation>
    </message>
    <message>
        <source>Записывать время</source>
        <translation>Write the time</translation>
    </message>
    <message>
        <source>Ручной ввод</source>
        <translation>Typed by hand</translation>
    </message>
    <message>
        <source>Время</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>Показания, м3</source>
        <translation>Reading, m3</translation>
    </message>
    <message>
        <source>События</source>
        <translation>Events</translation>
    </message>
    <message>
        <source>Пок. обр. потока, м3</source>
        <translation>Reverse flow, m3</translation>
    </message>
    <message>
        <source>Пок. на посл. сутки</source>
        <translation>Last day</translation>
    </message>
    <message>
        <source>Показания на начало часа</source>
        <translation>Start of the hour</translation>
    </message>
    <message>
        <source>Пок. на начало сохр. в мес. журнал</source>
        <translation>Start of the monthly journal</translation>
    </message>
    <message>
        <source>TextLabel</source>
        <translation>TextLabel</translation>
    </message>
    <message>
        <source>Номер сборки</source>
        <translation>Build number</translation>
    </message>
    <message>
        <source>Дата компиляции</source>
        <translation>Compile date</translation>
    </message>
    <message>
        <source>Время компиляции</source>
        <translation>Compile time</translation>
    </message>
    <message>
        <source>Конфигуратор счётчика воды с RS485 протокол ModBUS варианты исполнения 2 и 3</source>
        <translation>Water meter configurator, RS485, Modbus protocol versions 2 and 3</translation>
    </message>
    <message>
        <source>Настройки не считаны</source>
        <translation>Settings not read</translation>
    </message>
    <message>
        <source>Модели не прочитаны</source>
        <translation>Models not read</translation>
    </message>
    <message>
        <source>Настройки не сохранены</source>
        <translation>Settings not saved</translation>
    </message>
    <message>
        <source>Соединение установлено</source>
        <translation>Port open</translation>
    </message>
    <message>
        <source>Нет соединения</source>
        <translation>Port not opened</translation>
    </message>
    <message>
        <source>Дождитесь окончания обмена</source>
        <translation>Wait until the exchange ends</translation>
    </message>
    <message>
        <source>Неверный серийный номер</source>
        <translation>Invalid serial number</translation>
    </message>
    <message>
        <source>Неверный адрес устройства</source>
        <translation>Invalid device address</translation>
    </message>
    <message>
        <source>Не выбран способ обращения к счетчику</source>
        <translation>Choose how to address the meter</translation>
    </message>
    <message>
        <source>Неверные данные</source>
        <translation>Invalid data</translation>
    </message>
    <message>
        <source>Сервер линии не задан: укажите адрес и TCP порт в "Настройка порта"</source>
        <translation>No line server set: enter its address and TCP port in "Port settings"</translation>
    </message>
    <message>
        <source>Подключение...</source>
        <translation>Connecting...</translation>
    </message>
    <message>
        <source>Подключение к %1:%2</source>
        <translation>Connecting to %1:%2</translation>
    </message>
    <message>
        <source>Подключено к %1:%2</source>
        <translation>Connected to %1:%2</translation>
    </message>
    <message>
        <source>Журнал</source>
        <translation>Journal</translation>
    </message>
    <message>
        <source>Журнал %1 поврежден и оставлен как есть; показания не записываются</source>
        <translation>The journal %1 is damaged and left as it is; readings are not kept</translation>
    </message>
    <message>
        <source>Журнал %1 только для чтения; показания не записываются</source>
        <translation>The journal %1 is read-only; readings are not kept</translation>
    </message>
    <message>
        <source>Журнал %1 создан более новой версией программы; показания не записываются</source>
        <translation>The journal %1 was made by a newer version of the program; readings are not kept</translation>
    </message>
    <message>
        <source>Журнал %1 занят другой копией программы; показания не записываются</source>
        <translation>The journal %1 is in use by another copy of the program; readings are not kept</translation>
    </message>
    <message>
        <source>Сервер журнала %1 недоступен; показания не записываются</source>
        <translation>The journal server %1 cannot be reached; readings are not kept</translation>
    </message>
    <message>
        <source>Сервер журнала %1 отклонил вход; показания не записываются</source>
        <translation>The journal server %1 refused the login; readings are not kept</translation>
    </message>
    <message>
        <source>Ошибка журнала %1; показания больше не записываются</source>
        <translation>Journal %1 failed; readings are no longer kept</translation>
    </message>
    <message>
        <source>Пароль к серверу журнала %1:</source>
        <translation>Password for the journal server %1:</translation>
    </message>
    <message>
        <source>Журнал не успевает: последнее чтение в него не записано</source>
        <translation>The journal is falling behind: the last read was not kept in it</translation>
    </message>
    <message>
        <source>Регистры</source>
        <translation>Registers</translation>
    </message>
    <message>
        <source>Наблюдение</source>
        <translation>Watch</translation>
    </message>
    <message>
        <source>Период наблюдения</source>
        <translation>Watch period</translation>
    </message>
    <message>
        <source> с</source>
        <translation> s</translation>
    </message>
    <message>
        <source>Отчёт</source>
        <translation>Report</translation>
    </message>
    <message>
        <source>Идёт наблюдение: остановите его</source>
        <translation>A watch is running: stop it first</translation>
    </message>
    <message>
        <source>Стоп наблюдения</source>
        <translation>Stop watch</translation>
    </message>
    <message>
        <source>Наблюдение остановлено</source>
        <translation>Watch stopped</translation>
    </message>
    <message>
        <source>Адрес устройства</source>
        <translation>Device address</translation>
    </message>
    <message>
        <source>%1, %2 бод, 8%3%4</source>
        <translation>%1, %2 baud, 8%3%4</translation>
    </message>
    <message>
        <source>Текущий объём</source>
        <translation>Current volume</translation>
    </message>
    <message>
        <source>Текущее событие</source>
        <translation>Current event</translation>
    </message>
    <message>
        <source>Обратный поток</source>
        <translation>Reverse flow</translation>
    </message>
    <message>
        <source>На начало часа</source>
        <translation>Start of the hour</translation>
    </message>
    <message>
        <source>На последние сутки</source>
        <translation>Last day</translation>
    </message>
    <message>
        <source>На начало месячного журнала</source>
        <translation>Start of the monthly journal</translation>
    </message>
    <message>
        <source>%1: %2, событие %3</source>
        <translation>%1: %2, event %3</translation>
    </message>
    <message>
        <source>Часовой</source>
        <translation>Hourly</translation>
    </message>
    <message>
        <source>Суточный</source>
        <translation>Daily</translation>
    </message>
    <message>
        <source>Месячный</source>
        <translation>Monthly</translation>
    </message>
    <message>
        <source>Сначала считайте параметры счётчика</source>
        <translation>Read the meter's parameters first</translation>
    </message>
    <message>
        <source>Сохранить отчёт</source>
        <translation>Save report</translation>
    </message>
    <message>
        <source>Файлы PDF (*.pdf)</source>
        <translation>PDF files (*.pdf)</translation>
    </message>
    <message>
        <source>Отчёт сохранён: %1</source>
        <translation>Report saved: %1</translation>
    </message>
    <message>
        <source>Сервер журнала %1 потерян; чтения ждут его в очереди</source>
        <translation>The journal server %1 is lost; the reads wait for it in the queue</translation>
    </message>
    <message>
        <source>О программе</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Конфигуратор счётчика воды с RS485

Версия %1
Сборка %2
Qt %3 (собрана с Qt %4)

Лицензии: Qt и Qt Serial Port — GNU LGPL 3 (www.qt.io/licensing), их тексты приложены к программе для Windows; SQLite — общественное достояние.</source>
        <translation>Water meter configurator with RS485

Version %1
Build %2
Qt %3 (built with Qt %4)

Licences: Qt and Qt Serial Port — GNU LGPL 3 (www.qt.io/licensing), their texts come with the Windows program; SQLite — public domain.</translation>
    </message>
    <message>
        <source>Настройки не сохранены, файлы недоступны для записи:
%1</source>
        <translation>Settings not saved, the files cannot be written:
%1</translation>
    </message>
    <message>
        <source>порт не выбран</source>
        <translation>no port chosen</translation>
    </message>
    <message>
        <source>Ожидание тишины на линии, %1 с</source>
        <translation>Waiting for a quiet line, %1 s</translation>
    </message>
    <message>
        <source>Журнал %1 — папка, а не файл; показания не записываются</source>
        <translation>The journal %1 is a folder, not a file; readings are not kept</translation>
    </message>
    <message>
        <source>TLS с сервером журнала %1 не установлено: сертификат сервера не принят или TLS не предлагается; проверьте sslrootcert, имя сервера и sslmode; показания не записываются</source>
        <translation>No TLS with the journal server %1: the server's certificate was not accepted or no TLS is offered; check sslrootcert, the server name and sslmode; readings are not kept</translation>
    </message>
</context>
<context>
    <name>RegisterWindow</name>
    <message>
        <source>Регистры</source>
        <translation>Registers</translation>
    </message>
    <message>
        <source>Считать</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>значения через пробел: 123 0x00FF -5</source>
        <translation>values separated by spaces: 123 0x00FF -5</translation>
    </message>
    <message>
        <source>32-битные (2 регистра, младший первым)</source>
        <translation>32-bit (2 registers, low one first)</translation>
    </message>
    <message>
        <source>Записать</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>Регистр</source>
        <translation>Register</translation>
    </message>
    <message>
        <source>Hex</source>
        <translation>Hex</translation>
    </message>
    <message>
        <source>Без знака</source>
        <translation>Unsigned</translation>
    </message>
    <message>
        <source>Со знаком</source>
        <translation>Signed</translation>
    </message>
    <message>
        <source>32 бит без знака</source>
        <translation>32-bit unsigned</translation>
    </message>
    <message>
        <source>32 бит со знаком</source>
        <translation>32-bit signed</translation>
    </message>
    <message>
        <source>Этот регистр — младшие 16 бит, следующий — старшие</source>
        <translation>This register holds the low 16 bits, the next one the high</translation>
    </message>
    <message>
        <source>Первый регистр</source>
        <translation>First register</translation>
    </message>
    <message>
        <source>Количество</source>
        <translation>Count</translation>
    </message>
    <message>
        <source>Значения</source>
        <translation>Values</translation>
    </message>
    <message>
        <source>Неверный номер регистра: 0…65535, десятичный или 0x…</source>
        <translation>Invalid register: 0…65535, decimal or 0x…</translation>
    </message>
    <message>
        <source>Неверное количество: от 1 до %1 регистров за один запрос, не дальше 0xFFFF</source>
        <translation>Invalid count: 1 to %1 registers per request, not past 0xFFFF</translation>
    </message>
    <message>
        <source>Введите значения для записи</source>
        <translation>Type the values to write</translation>
    </message>
    <message>
        <source>«%1» — не число</source>
        <translation>"%1" is not a number</translation>
    </message>
    <message>
        <source>«%1» вне пределов 32 бит: от −2147483648 до 4294967295</source>
        <translation>"%1" is out of the 32-bit range −2147483648 to 4294967295</translation>
    </message>
    <message>
        <source>«%1» вне пределов 16 бит: от −32768 до 65535</source>
        <translation>"%1" is out of the 16-bit range −32768 to 65535</translation>
    </message>
    <message>
        <source>Слишком много регистров: не больше %1 за одну запись, не дальше 0xFFFF</source>
        <translation>Too many registers: at most %1 per write, not past 0xFFFF</translation>
    </message>
    <message>
        <source>Записать в счётчик (%1) с регистра %2: %3?</source>
        <translation>Write to the meter (%1) from register %2: %3?</translation>
    </message>
    <message>
        <source>Запись отменена</source>
        <translation>Write cancelled</translation>
    </message>
    <message>
        <source>Дождитесь окончания обмена</source>
        <translation>Wait until the exchange ends</translation>
    </message>
    <message>
        <source>Запись…</source>
        <translation>Writing…</translation>
    </message>
    <message>
        <source>Чтение…</source>
        <translation>Reading…</translation>
    </message>
    <message>
        <source>Считано регистров: %1</source>
        <translation>Registers read: %1</translation>
    </message>
    <message>
        <source>не записано: %1</source>
        <translation>not written: %1</translation>
    </message>
    <message>
        <source>записано, обратное чтение не удалось: %1</source>
        <translation>written, read-back failed: %1</translation>
    </message>
    <message>
        <source>записано, но прочитано другое: %1</source>
        <translation>written, but read back as: %1</translation>
    </message>
    <message>
        <source>записано и прочитано обратно</source>
        <translation>written and read back</translation>
    </message>
    <message>
        <source>регистры с %1</source>
        <translation>registers from %1</translation>
    </message>
</context>
<context>
    <name>RiserReadout</name>
    <message>
        <source>Список пуст: сначала найдите счетчики</source>
        <translation>The list is empty: find the meters first</translation>
    </message>
    <message>
        <source>Чтение счетчиков: %1</source>
        <translation>Reading meters: %1</translation>
    </message>
    <message>
        <source>Нет ответивших счетчиков</source>
        <translation>No meter has answered</translation>
    </message>
    <message>
        <source>Установка времени: %1</source>
        <translation>Setting the time: %1</translation>
    </message>
    <message>
        <source>Чтение прервано: порт не открыт, считано %1 из %2</source>
        <translation>Reading interrupted: port not open, read %1 of %2</translation>
    </message>
    <message>
        <source>Чтение остановлено, считано %1 из %2</source>
        <translation>Reading stopped, read %1 of %2</translation>
    </message>
    <message>
        <source>Считано %1 из %2</source>
        <translation>Read %1 of %2</translation>
    </message>
    <message>
        <source>Установка прервана: порт не открыт, установлено %1 из %2</source>
        <translation>Setting interrupted: port not open, set on %1 of %2</translation>
    </message>
    <message>
        <source>Установка остановлена, установлено %1 из %2</source>
        <translation>Setting stopped, set on %1 of %2</translation>
    </message>
    <message>
        <source>Время установлено на %1 из %2</source>
        <translation>Time set on %1 of %2</translation>
    </message>
    <message>
        <source>Установить часы счетчиков по часам компьютера?
Ответивших счетчиков: %1, из них расходятся с компьютером более чем на %2 с: %3.</source>
        <translation>Set the meters' clocks to the computer's?
Meters that answered: %1, of them off from the computer by more than %2 s: %3.</translation>
    </message>
    <message>
        <source>Все (%1)</source>
        <translation>All (%1)</translation>
    </message>
    <message>
        <source>Только расходящиеся (%1)</source>
        <translation>Only those off (%1)</translation>
    </message>
    <message>
        <source>Установка времени отменена</source>
        <translation>Clock setting cancelled</translation>
    </message>
    <message>
        <source>Дождитесь окончания обмена</source>
        <translation>Wait until the exchange ends</translation>
    </message>
    <message>
        <source>Время</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>подтверждено</source>
        <translation>confirmed</translation>
    </message>
    <message>
        <source>Сохранить в CSV</source>
        <translation>Save to CSV</translation>
    </message>
    <message>
        <source>Сохранить таблицу</source>
        <translation>Save table</translation>
    </message>
    <message>
        <source>Файлы CSV (*.csv)</source>
        <translation>CSV files (*.csv)</translation>
    </message>
</context>
<context>
    <name>RiserTable</name>
    <message>
        <source>Адрес</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>Серийный номер</source>
        <translation>Serial number</translation>
    </message>
    <message>
        <source>Модель</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>Версия протокола</source>
        <translation>Protocol version</translation>
    </message>
    <message>
        <source>Показания</source>
        <translation>Reading</translation>
    </message>
    <message>
        <source>Обр. поток</source>
        <translation>Reverse flow</translation>
    </message>
    <message>
        <source>Единица</source>
        <translation>Unit</translation>
    </message>
    <message>
        <source>События</source>
        <translation>Events</translation>
    </message>
    <message>
        <source>Время счетчика</source>
        <translation>Meter time</translation>
    </message>
    <message>
        <source>Расхождение, с</source>
        <translation>Offset, s</translation>
    </message>
    <message>
        <source>Результат</source>
        <translation>Outcome</translation>
    </message>
    <message>
        <source>Метка</source>
        <translation>Label</translation>
    </message>
    <message>
        <source>%1 (по сер. номеру)</source>
        <translation>%1 (by serial number)</translation>
    </message>
    <message>
        <source>нет</source>
        <translation>none</translation>
    </message>
    <message>
        <source>Не считан</source>
        <translation>Not read</translation>
    </message>
    <message>
        <source>%1, повтор в конце</source>
        <translation>%1, asked again last</translation>
    </message>
    <message>
        <source>Время чтения</source>
        <translation>Read at</translation>
    </message>
    <message>
        <source>Итог</source>
        <translation>Outcome</translation>
    </message>
</context>
<context>
    <name>Rows</name>
    <message>
        <source>ответ не распознан</source>
        <translation>answer not understood</translation>
    </message>
</context>
<context>
    <name>ScanTable</name>
    <message>
        <source>нечет</source>
        <translation>odd</translation>
    </message>
    <message>
        <source>чет</source>
        <translation>even</translation>
    </message>
    <message>
        <source>нет</source>
        <translation>none</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <translation>%1, %2</translation>
    </message>
    <message>
        <source>Не записано</source>
        <translation>Not written</translation>
    </message>
    <message>
        <source>Адрес</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>Серийный номер</source>
        <translation>Serial number</translation>
    </message>
    <message>
        <source>Модель</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>Версия протокола</source>
        <translation>Protocol version</translation>
    </message>
    <message>
        <source>Версия ПО</source>
        <translation>Software version</translation>
    </message>
    <message>
        <source>Тип устройства</source>
        <translation>Device type</translation>
    </message>
    <message>
        <source>Скорость, четность</source>
        <translation>Rate, parity</translation>
    </message>
    <message>
        <source>Результат записи</source>
        <translation>Write result</translation>
    </message>
</context>
<context>
    <name>ScanWindow</name>
    <message>
        <source>Поиск счетчиков</source>
        <translation>Find meters</translation>
    </message>
    <message>
        <source>С адреса</source>
        <translation>From address</translation>
    </message>
    <message>
        <source>По адрес</source>
        <translation>To address</translation>
    </message>
    <message>
        <source>Ожидание ответа, мс</source>
        <translation>Answer wait, ms</translation>
    </message>
    <message>
        <source>Начать</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Стоп</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Выбрать</source>
        <translation>Choose</translation>
    </message>
    <message>
        <source>Неверный диапазон адресов</source>
        <translation>Invalid address range</translation>
    </message>
    <message>
        <source>Дождитесь окончания обмена</source>
        <translation>Wait until the exchange ends</translation>
    </message>
    <message>
        <source>Адрес %1 из %2, найдено %3</source>
        <translation>Address %1 of %2, found %3</translation>
    </message>
    <message>
        <source>Поиск завершен, найдено %1</source>
        <translation>Search complete, found %1</translation>
    </message>
    <message>
        <source>Поиск остановлен, найдено %1</source>
        <translation>Search stopped, found %1</translation>
    </message>
    <message>
        <source>Поиск прерван, найдено %1</source>
        <translation>Search interrupted, found %1</translation>
    </message>
    <message>
        <source>Считать все</source>
        <translation>Read all</translation>
    </message>
    <message>
        <source>Установить время всем</source>
        <translation>Set the time on all</translation>
    </message>
    <message>
        <source>Скорость и четность</source>
        <translation>Baud rate and parity</translation>
    </message>
    <message>
        <source>Перебрать скорости и четности</source>
        <translation>Try several rates and parities</translation>
    </message>
    <message>
        <source>1200</source>
        <translation>1200</translation>
    </message>
    <message>
        <source>2400</source>
        <translation>2400</translation>
    </message>
    <message>
        <source>4800</source>
        <translation>4800</translation>
    </message>
    <message>
        <source>9600</source>
        <translation>9600</translation>
    </message>
    <message>
        <source>нет</source>
        <translation>none</translation>
    </message>
    <message>
        <source>нечет</source>
        <translation>odd</translation>
    </message>
    <message>
        <source>чет</source>
        <translation>even</translation>
    </message>
    <message>
        <source>%1 с</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>%1 мин %2 с</source>
        <translation>%1 min %2 s</translation>
    </message>
    <message>
        <source>Поиск займет около %1</source>
        <translation>The search takes about %1</translation>
    </message>
    <message>
        <source>Выберите хотя бы одну скорость и одну четность</source>
        <translation>Choose at least one rate and one parity</translation>
    </message>
    <message>
        <source>Скорость и четность этой линии программа не меняет: найдите счетчики на настройке порта</source>
        <translation>The program cannot change the rate and parity of this line: search at the port settings</translation>
    </message>
    <message>
        <source>Не удалось сменить скорость порта</source>
        <translation>Could not change the port rate</translation>
    </message>
    <message>
        <source>Эти счетчики на другой скорости или четности: выберите один, затем считайте</source>
        <translation>These meters are at another rate or parity: choose one, then read</translation>
    </message>
    <message>
        <source>Не считаны счетчики на другой скорости или четности: %1</source>
        <translation>Meters at another rate or parity not read: %1</translation>
    </message>
    <message>
        <source>Расходятся более чем на</source>
        <translation>Off by more than</translation>
    </message>
    <message>
        <source>"Установить время всем" предложит установить только часы, расходящиеся с компьютером больше этого</source>
        <translation>"Set the time on all" offers to set only the clocks off from the computer by more than this</translation>
    </message>
    <message>
        <source> с</source>
        <translation> s</translation>
    </message>
    <message>
        <source>Ввод в эксплуатацию</source>
        <translation>Commissioning</translation>
    </message>
    <message>
        <source>Серийные номера</source>
        <translation>Serial numbers</translation>
    </message>
    <message>
        <source>0012345678ab 0012345678ac ...</source>
        <translation>0012345678ab 0012345678ac ...</translation>
    </message>
    <message>
        <source>Серийные номера новых счетчиков (12 цифр), через пробел или запятую</source>
        <translation>Serial numbers of the new meters (12 digits), separated by spaces or commas</translation>
    </message>
    <message>
        <source>Найти по сер. номерам</source>
        <translation>Find by serial numbers</translation>
    </message>
    <message>
        <source>Адреса с</source>
        <translation>Addresses from</translation>
    </message>
    <message>
        <source>Первый адрес: выбранные счетчики получат адреса по порядку, занятые адреса пропускаются</source>
        <translation>The first address: the selected meters get addresses in turn, addresses taken are passed over</translation>
    </message>
    <message>
        <source>Назначить адрес</source>
        <translation>Assign addresses</translation>
    </message>
    <message>
        <source>1..31</source>
        <translation>1..31</translation>
    </message>
    <message>
        <source>Записать выбранным</source>
        <translation>Write to selected</translation>
    </message>
</context>
<context>
    <name>WatchChart</name>
    <message>
        <source>Изменение с начала, %1</source>
        <translation>Change since the start, %1</translation>
    </message>
    <message>
        <source>%1 с</source>
        <translation>%1 s</translation>
    </message>
</context>
<context>
    <name>WatchTable</name>
    <message>
        <source>Время</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>Часы счётчика</source>
        <translation>Meter clock</translation>
    </message>
    <message>
        <source>Объём</source>
        <translation>Volume</translation>
    </message>
    <message>
        <source>С начала</source>
        <translation>Since the start</translation>
    </message>
    <message>
        <source>Расход</source>
        <translation>Flow</translation>
    </message>
    <message>
        <source>Обратный</source>
        <translation>Reverse</translation>
    </message>
    <message>
        <source>Событие</source>
        <translation>Event</translation>
    </message>
    <message>
        <source>Серийный номер</source>
        <translation>Serial number</translation>
    </message>
    <message>
        <source>Модель</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>Адрес</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>Начало</source>
        <translation>Started</translation>
    </message>
</context>
<context>
    <name>WatchWindow</name>
    <message>
        <source>Наблюдение</source>
        <translation>Watch</translation>
    </message>
    <message>
        <source>Остановить наблюдение</source>
        <translation>Stop watching</translation>
    </message>
    <message>
        <source>Наблюдение остановлено</source>
        <translation>Watch stopped</translation>
    </message>
    <message>
        <source>Наблюдение: раз в %1 с</source>
        <translation>Watching: every %1 s</translation>
    </message>
    <message>
        <source>Наблюдение: опросов %1; в таблице последние %2</source>
        <translation>Watching: %1 rounds; the table keeps the last %2</translation>
    </message>
    <message>
        <source>Наблюдение: опросов %1</source>
        <translation>Watching: %1 rounds</translation>
    </message>
    <message>
        <source>; без ответа: %1</source>
        <translation>; no answer: %1</translation>
    </message>
    <message>
        <source>Сохранить в CSV</source>
        <translation>Save to CSV</translation>
    </message>
    <message>
        <source>Сохранить наблюдение</source>
        <translation>Save watch</translation>
    </message>
    <message>
        <source>Файлы CSV (*.csv)</source>
        <translation>CSV files (*.csv)</translation>
    </message>
    <message>
        <source>%1: наблюдение окончено</source>
        <translation>%1: watch ended</translation>
    </message>
    <message>
        <source>%1: %2; пропущено опросов: %3</source>
        <translation>%1: %2; rounds missed: %3</translation>
    </message>
</context>
<context>
    <name>WriteJob</name>
    <message>
        <source>Неверный новый адрес устройства</source>
        <translation>Invalid new device address</translation>
    </message>
    <message>
        <source>Неверная дата сохранения</source>
        <translation>Invalid save date</translation>
    </message>
    <message>
        <source>Неверный формат времени</source>
        <translation>Invalid time format</translation>
    </message>
    <message>
        <source>Для следующего обмена: %1</source>
        <translation>For the next exchange: %1</translation>
    </message>
    <message>
        <source>Запись завершена</source>
        <translation>Write complete</translation>
    </message>
    <message>
        <source>подтверждено</source>
        <translation>confirmed</translation>
    </message>
    <message>
        <source>Запись отменена</source>
        <translation>Write cancelled</translation>
    </message>
    <message>
        <source>Часы счетчика хранят время от %1 до %2</source>
        <translation>The meter's clock holds times from %1 to %2</translation>
    </message>
    <message>
        <source>После перезапуска счетчик будет отвечать только так: %1.
При других настройках порта связь с ним пропадет. Записать?</source>
        <translation>After its restart the meter will answer only with: %1.
With other port settings it will be lost from the line. Write?</translation>
    </message>
</context>
<context>
    <name>archive</name>
    <message>
        <source>Прочитано записей: %1 из %2</source>
        <translation>Records read: %1 of %2</translation>
    </message>
    <message>
        <source>Form</source>
        <translation>Form</translation>
    </message>
    <message>
        <source>Tab 1</source>
        <translation>Tab 1</translation>
    </message>
    <message>
        <source>Tab 2</source>
        <translation>Tab 2</translation>
    </message>
    <message>
        <source>Страница</source>
        <translation>Page</translation>
    </message>
    <message>
        <source>Сохранить в файл</source>
        <translation>Save to file</translation>
    </message>
    <message>
        <source>Архив</source>
        <translation>Archive</translation>
    </message>
    <message>
        <source>Часовой</source>
        <translation>Hourly</translation>
    </message>
    <message>
        <source>Суточный</source>
        <translation>Daily</translation>
    </message>
    <message>
        <source>Месячный</source>
        <translation>Monthly</translation>
    </message>
    <message>
        <source>Сохранить архив</source>
        <translation>Save archive</translation>
    </message>
    <message>
        <source>Файлы CSV (*.csv)</source>
        <translation>CSV files (*.csv)</translation>
    </message>
    <message>
        <source>Серийный номер</source>
        <translation>Serial number</translation>
    </message>
    <message>
        <source>Модель</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>Версия протокола</source>
        <translation>Protocol version</translation>
    </message>
    <message>
        <source>Время чтения</source>
        <translation>Read at</translation>
    </message>
    <message>
        <source>Номер записи</source>
        <translation>Record</translation>
    </message>
    <message>
        <source>Время</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>Событие</source>
        <translation>Event</translation>
    </message>
    <message>
        <source>Показания</source>
        <translation>Reading</translation>
    </message>
    <message>
        <source>Пок. обр. потока</source>
        <translation>Reverse flow</translation>
    </message>
    <message>
        <source>%1; время чтения %2</source>
        <translation>%1; read at %2</translation>
    </message>
    <message>
        <source>Архив: %1</source>
        <translation>Archive: %1</translation>
    </message>
</context>
<context>
    <name>collect</name>
    <message>
        <source>Использование:
  configurator-collect ЛИНИИ.json --once|--every СЕКУНД --journal ЖУРНАЛ [--set-clock-over СЕКУНД]
  configurator-collect --consumption С ПО --journal ЖУРНАЛ [--out ФАЙЛ.csv]
ЖУРНАЛ: файл SQLite или postgresql://пользователь@сервер:порт/база (пароль в METER_JOURNAL_PASSWORD).
С, ПО: ГГГГ-ММ-ДД [ЧЧ:ММ[:СС]], местное время.
</source>
        <translation>Usage:
  configurator-collect LINES.json --once|--every SECONDS --journal JOURNAL [--set-clock-over SECONDS]
  configurator-collect --consumption FROM TO --journal JOURNAL [--out FILE.csv]
JOURNAL: an SQLite file or postgresql://user@host:port/database (password in METER_JOURNAL_PASSWORD).
FROM, TO: YYYY-MM-DD [HH:MM[:SS]], local time.
</translation>
    </message>
    <message>
        <source>--every: ожидается число секунд больше 0</source>
        <translation>--every: a number of seconds above 0 expected</translation>
    </message>
    <message>
        <source>--set-clock-over: ожидается число секунд</source>
        <translation>--set-clock-over: a number of seconds expected</translation>
    </message>
    <message>
        <source>--journal: ожидается файл или postgresql://...</source>
        <translation>--journal: a file or postgresql://... expected</translation>
    </message>
    <message>
        <source>--out: ожидается имя файла</source>
        <translation>--out: a file name expected</translation>
    </message>
    <message>
        <source>--consumption: ожидаются две даты ГГГГ-ММ-ДД [ЧЧ:ММ], первая раньше второй</source>
        <translation>--consumption: two dates YYYY-MM-DD [HH:MM] expected, the first before the second</translation>
    </message>
    <message>
        <source>непонятный аргумент %1</source>
        <translation>unknown argument %1</translation>
    </message>
    <message>
        <source>не указан журнал (--journal)</source>
        <translation>no journal given (--journal)</translation>
    </message>
    <message>
        <source>--consumption берет только --journal и --out</source>
        <translation>--consumption takes only --journal and --out</translation>
    </message>
    <message>
        <source>--out только с --consumption</source>
        <translation>--out only with --consumption</translation>
    </message>
    <message>
        <source>не указан файл линий</source>
        <translation>no lines file given</translation>
    </message>
    <message>
        <source>нужен один из --once и --every</source>
        <translation>one of --once and --every is needed</translation>
    </message>
    <message>
        <source>, со второго раза</source>
        <translation>, at the second attempt</translation>
    </message>
    <message>
        <source>архив: %1 записей</source>
        <translation>archive: %1 records</translation>
    </message>
    <message>
        <source> с</source>
        <translation> s</translation>
    </message>
    <message>
        <source>Расход %1 счетчиков записан в %2</source>
        <translation>Consumption of %1 meters written to %2</translation>
    </message>
    <message>
        <source>адрес %1</source>
        <translation>address %1</translation>
    </message>
    <message>
        <source>не JSON: %1</source>
        <translation>not JSON: %1</translation>
    </message>
    <message>
        <source>ожидается объект {"lines": [...]}</source>
        <translation>an object {"lines": [...]} expected</translation>
    </message>
    <message>
        <source>нет линий ("lines")</source>
        <translation>no lines ("lines")</translation>
    </message>
    <message>
        <source>имя линии "%1" уже занято линией %2</source>
        <translation>line name "%1" is taken by line %2</translation>
    </message>
    <message>
        <source>журнал не указан</source>
        <translation>no journal given</translation>
    </message>
    <message>
        <source>%1: ожидается postgresql://пользователь@сервер:порт/база, пароль в %2</source>
        <translation>%1: postgresql://user@host:port/database expected, the password in %2</translation>
    </message>
    <message>
        <source>файл не найден</source>
        <translation>file not found</translation>
    </message>
    <message>
        <source>это папка, а не файл</source>
        <translation>a folder, not a file</translation>
    </message>
    <message>
        <source>файл не читается: нет прав на чтение или он занят</source>
        <translation>cannot be read: no permission to read it, or it is in use</translation>
    </message>
    <message>
        <source>объект не закрыт скобкой }</source>
        <translation>object not closed by }</translation>
    </message>
    <message>
        <source>после имени нет двоеточия</source>
        <translation>no colon after the name</translation>
    </message>
    <message>
        <source>список не закрыт скобкой ]</source>
        <translation>list not closed by ]</translation>
    </message>
    <message>
        <source>между значениями нет запятой</source>
        <translation>no comma between values</translation>
    </message>
    <message>
        <source>недопустимое значение</source>
        <translation>illegal value</translation>
    </message>
    <message>
        <source>файл оборван на числе</source>
        <translation>the file ends in a number</translation>
    </message>
    <message>
        <source>недопустимое число</source>
        <translation>illegal number</translation>
    </message>
    <message>
        <source>недопустимый знак после \</source>
        <translation>illegal character after \</translation>
    </message>
    <message>
        <source>текст не в UTF-8</source>
        <translation>text not in UTF-8</translation>
    </message>
    <message>
        <source>строка не закрыта кавычкой</source>
        <translation>string not closed by a quote</translation>
    </message>
    <message>
        <source>пропущено значение</source>
        <translation>a value is missing</translation>
    </message>
    <message>
        <source>слишком глубокая вложенность</source>
        <translation>nested too deep</translation>
    </message>
    <message>
        <source>файл слишком велик</source>
        <translation>file too large</translation>
    </message>
    <message>
        <source>лишнее после конца</source>
        <translation>more after the end</translation>
    </message>
    <message>
        <source>ошибка %1</source>
        <translation>error %1</translation>
    </message>
    <message>
        <source>, пустых ячеек без времени не записано: %1</source>
        <translation>, empty slots without a time not kept: %1</translation>
    </message>
    <message>
        <source>--status ФАЙЛ: файл для мониторинга (формат Prometheus), переписывается после каждого круга.</source>
        <translation>--status FILE: a file for monitoring (Prometheus format), written anew after every round.</translation>
    </message>
    <message>
        <source>--status: ожидается имя файла</source>
        <translation>--status: a file name expected</translation>
    </message>
    <message>
        <source>Круг %1: считано %2 из %3 счетчиков</source>
        <translation>Round %1: %2 of %3 meters read</translation>
    </message>
    <message>
        <source>Файл состояния %1 не записан: %2</source>
        <translation>The status file %1 was not written: %2</translation>
    </message>
    <message>
        <source>Линий %1, счетчиков %2, журнал %3</source>
        <translation>%1 lines, %2 meters, journal %3</translation>
    </message>
    <message>
        <source> не ведется</source>
        <translation> not kept</translation>
    </message>
    <message>
        <source>%1: параметр %2 не принимается; допустимы sslmode и sslrootcert, каждый один раз</source>
        <translation>%1: the key %2 is not accepted; sslmode and sslrootcert are, each once</translation>
    </message>
    <message>
        <source>%1: в sslrootcert ожидается файл сертификата центра сертификации</source>
        <translation>%1: sslrootcert must name the CA's certificate file</translation>
    </message>
    <message>
        <source>%1: sslmode=%2 не принимается; допустимы %3</source>
        <translation>%1: sslmode=%2 is not accepted; allowed: %3</translation>
    </message>
</context>
<context>
    <name>collect::Reader</name>
    <message>
        <source>неизвестный ключ "%1"</source>
        <translation>unknown key "%1"</translation>
    </message>
    <message>
        <source>ожидается целое от %1 до %2</source>
        <translation>a whole number from %1 to %2 expected</translation>
    </message>
    <message>
        <source>ожидается строка</source>
        <translation>a string expected</translation>
    </message>
    <message>
        <source>счетчик: ожидается объект</source>
        <translation>meter: an object expected</translation>
    </message>
    <message>
        <source>"address" и "serial" вместе: счетчик задается одним из них</source>
        <translation>"address" and "serial" together: a meter is given by one of them</translation>
    </message>
    <message>
        <source>счетчик без "address" или "serial"</source>
        <translation>a meter without "address" or "serial"</translation>
    </message>
    <message>
        <source>ожидается 12 шестнадцатеричных цифр</source>
        <translation>12 hexadecimal digits expected</translation>
    </message>
    <message>
        <source>линия: ожидается объект</source>
        <translation>line: an object expected</translation>
    </message>
    <message>
        <source>линия без имени ("name")</source>
        <translation>a line without a name ("name")</translation>
    </message>
    <message>
        <source>"port" вместе с "host"/"tcp_port": линия либо на порту, либо за сервером</source>
        <translation>"port" with "host"/"tcp_port": a line is on a port or behind a server</translation>
    </message>
    <message>
        <source>линия без "port" или "host" и "tcp_port"</source>
        <translation>a line without "port" or "host" and "tcp_port"</translation>
    </message>
    <message>
        <source>пустое имя порта</source>
        <translation>empty port name</translation>
    </message>
    <message>
        <source>ожидается имя или адрес сервера</source>
        <translation>a server name or address expected</translation>
    </message>
    <message>
        <source>линия без "tcp_port"</source>
        <translation>a line without "tcp_port"</translation>
    </message>
    <message>
        <source>ожидается 1200, 2400, 4800, 9600, 19200, 38400, 57600 или 115200</source>
        <translation>1200, 2400, 4800, 9600, 19200, 38400, 57600 or 115200 expected</translation>
    </message>
    <message>
        <source>ожидается none, odd или even</source>
        <translation>none, odd or even expected</translation>
    </message>
    <message>
        <source>линия без счетчиков ("meters")</source>
        <translation>a line without meters ("meters")</translation>
    </message>
    <message>
        <source>счетчик указан дважды</source>
        <translation>the meter is listed twice</translation>
    </message>
</context>
<context>
    <name>consumption_chart</name>
    <message>
        <source>Нет данных</source>
        <translation>No data</translation>
    </message>
    <message>
        <source>Расход за интервал, %1</source>
        <translation>Consumption per interval, %1</translation>
    </message>
</context>
<context>
    <name>file</name>
    <message>
        <source>Не удалось сохранить файл: </source>
        <translation>Could not save the file: </translation>
    </message>
</context>
<context>
    <name>journal</name>
    <message>
        <source>часовой архив</source>
        <translation>hourly archive</translation>
    </message>
    <message>
        <source>суточный архив</source>
        <translation>daily archive</translation>
    </message>
    <message>
        <source>месячный архив</source>
        <translation>monthly archive</translation>
    </message>
    <message>
        <source>опрос</source>
        <translation>poll</translation>
    </message>
    <message>
        <source>Метка</source>
        <translation>Label</translation>
    </message>
    <message>
        <source>Серийный номер</source>
        <translation>Serial number</translation>
    </message>
    <message>
        <source>Адрес</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>Линия</source>
        <translation>Line</translation>
    </message>
    <message>
        <source>Показания на начало</source>
        <translation>Reading at the start</translation>
    </message>
    <message>
        <source>Взято</source>
        <translation>Taken</translation>
    </message>
    <message>
        <source>Откуда</source>
        <translation>From</translation>
    </message>
    <message>
        <source>Показания на конец</source>
        <translation>Reading at the end</translation>
    </message>
    <message>
        <source>Расход</source>
        <translation>Consumption</translation>
    </message>
    <message>
        <source>Единицы</source>
        <translation>Units</translation>
    </message>
    <message>
        <source>Отметки</source>
        <translation>Marks</translation>
    </message>
    <message>
        <source>нет показаний на начало</source>
        <translation>no reading at the start</translation>
    </message>
    <message>
        <source>нет показаний на конец</source>
        <translation>no reading at the end</translation>
    </message>
    <message>
        <source>часы счетчика расходятся более чем на 10 минут</source>
        <translation>the meter's clock is off by more than 10 minutes</translation>
    </message>
    <message>
        <source>ед.</source>
        <translation>units</translation>
    </message>
    <message>
        <source>м3</source>
        <translation>m3</translation>
    </message>
    <message>
        <source>Расход за период</source>
        <translation>Consumption over a period</translation>
    </message>
</context>
<context>
    <name>journal::Writer</name>
    <message>
        <source>показания %1 от %2</source>
        <translation>reading %1 of %2</translation>
    </message>
    <message>
        <source>архив %1 от %2</source>
        <translation>archive %1 of %2</translation>
    </message>
    <message>
        <source>метка %1</source>
        <translation>label %1</translation>
    </message>
    <message>
        <source>установка времени %1 в %2</source>
        <translation>time setting %1 at %2</translation>
    </message>
    <message>
        <source>%1 чтений в очереди журнала</source>
        <translation>%1 reads in the journal's queue</translation>
    </message>
</context>
<context>
    <name>meter</name>
    <message>
        <source>хол. воды</source>
        <translation>cold water</translation>
    </message>
    <message>
        <source>вода</source>
        <translation>water</translation>
    </message>
    <message>
        <source>гор. вод</source>
        <translation>hot water</translation>
    </message>
</context>
<context>
    <name>modbus</name>
    <message>
        <source>Неизвестная команда</source>
        <translation>Unknown command</translation>
    </message>
    <message>
        <source>Неизвестный адрес регистра</source>
        <translation>Unknown register address</translation>
    </message>
    <message>
        <source>Неверное значение параметра</source>
        <translation>Invalid parameter value</translation>
    </message>
</context>
<context>
    <name>outcome</name>
    <message>
        <source>Соединение отсутствует</source>
        <translation>No connection</translation>
    </message>
    <message>
        <source>Некорректные данные</source>
        <translation>Invalid data</translation>
    </message>
    <message>
        <source>Исключение %1</source>
        <translation>Exception %1</translation>
    </message>
    <message>
        <source>Запись не подтверждена</source>
        <translation>Write not confirmed</translation>
    </message>
    <message>
        <source>Обмен остановлен</source>
        <translation>Exchange stopped</translation>
    </message>
    <message>
        <source>Порт не открыт</source>
        <translation>Port not open</translation>
    </message>
    <message>
        <source>Свободных адресов не осталось</source>
        <translation>No free address left</translation>
    </message>
    <message>
        <source>Время установлено</source>
        <translation>Time set</translation>
    </message>
    <message>
        <source>Записано</source>
        <translation>Written</translation>
    </message>
    <message>
        <source>Для следующего обмена: %1</source>
        <translation>For the next exchange: %1</translation>
    </message>
    <message>
        <source>Имя %1 не найдено: проверьте адрес сервера</source>
        <translation>Name %1 not found: check the server address</translation>
    </message>
    <message>
        <source>%1 отказал в соединении: проверьте TCP порт и что сервер включен</source>
        <translation>%1 refused the connection: check the TCP port and that the server is on</translation>
    </message>
    <message>
        <source>%1 не ответил за %2 с: проверьте адрес и сеть</source>
        <translation>%1 did not answer within %2 s: check the address and the network</translation>
    </message>
    <message>
        <source>Сеть до %1 недоступна: проверьте подключение</source>
        <translation>Network to %1 unreachable: check the connection</translation>
    </message>
    <message>
        <source>Нет соединения с %1</source>
        <translation>No connection to %1</translation>
    </message>
</context>
<context>
    <name>quantity</name>
    <message>
        <source>м3</source>
        <translation>m3</translation>
    </message>
    <message>
        <source>ед.</source>
        <translation>units</translation>
    </message>
    <message>
        <source>м3/ч</source>
        <translation>m3/h</translation>
    </message>
    <message>
        <source>ед./ч</source>
        <translation>counts/h</translation>
    </message>
    <message>
        <source>Время</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>Показания</source>
        <translation>Reading</translation>
    </message>
    <message>
        <source>Событие</source>
        <translation>Event</translation>
    </message>
    <message>
        <source>Пок. обр. потока</source>
        <translation>Reverse flow</translation>
    </message>
    <message>
        <source>Расхождение часов</source>
        <translation>Clock offset</translation>
    </message>
    <message>
        <source>Расход</source>
        <translation>Flow</translation>
    </message>
    <message>
        <source>с</source>
        <translation>s</translation>
    </message>
    <message>
        <source>неизвестная</source>
        <translation>unknown</translation>
    </message>
    <message>
        <source>неизвестная-</source>
        <translation>unknown-</translation>
    </message>
    <message>
        <source>с/н %1</source>
        <translation>S/N %1</translation>
    </message>
    <message>
        <source>адрес %1</source>
        <translation>address %1</translation>
    </message>
</context>
<context>
    <name>report</name>
    <message>
        <source>%1 с</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>короткий ответ</source>
        <translation>too short</translation>
    </message>
    <message>
        <source>длинный ответ</source>
        <translation>too long</translation>
    </message>
    <message>
        <source>неверная CRC</source>
        <translation>bad CRC</translation>
    </message>
    <message>
        <source>чужой адрес</source>
        <translation>wrong address</translation>
    </message>
    <message>
        <source>неверная функция</source>
        <translation>wrong function</translation>
    </message>
    <message>
        <source>неверное число байт</source>
        <translation>wrong byte count</translation>
    </message>
    <message>
        <source>исключение Modbus</source>
        <translation>Modbus exception</translation>
    </message>
    <message>
        <source>Сервисный отчёт счётчика %1</source>
        <translation>Service report of meter %1</translation>
    </message>
    <message>
        <source>Составлен %1</source>
        <translation>Made %1</translation>
    </message>
    <message>
        <source>Идентификация</source>
        <translation>Identification</translation>
    </message>
    <message>
        <source>Модель</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>Серийный номер</source>
        <translation>Serial number</translation>
    </message>
    <message>
        <source>Версия протокола</source>
        <translation>Protocol version</translation>
    </message>
    <message>
        <source>Версия ПО</source>
        <translation>Software version</translation>
    </message>
    <message>
        <source>Идентификатор ПО</source>
        <translation>Software identifier</translation>
    </message>
    <message>
        <source>Адрес устройства</source>
        <translation>Device address</translation>
    </message>
    <message>
        <source>Линия</source>
        <translation>Line</translation>
    </message>
    <message>
        <source>Показания</source>
        <translation>Readings</translation>
    </message>
    <message>
        <source>Часы счётчика</source>
        <translation>Meter clock</translation>
    </message>
    <message>
        <source>Время компьютера при чтении</source>
        <translation>Computer time at the read</translation>
    </message>
    <message>
        <source>Расхождение (счётчик − компьютер)</source>
        <translation>Offset (meter − computer)</translation>
    </message>
    <message>
        <source>Записи с начала работы программы</source>
        <translation>Writes since the program started</translation>
    </message>
    <message>
        <source>Записей не было</source>
        <translation>No writes</translation>
    </message>
    <message>
        <source>Время</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>Счётчик</source>
        <translation>Meter</translation>
    </message>
    <message>
        <source>Что</source>
        <translation>What</translation>
    </message>
    <message>
        <source>Значение</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>Итог</source>
        <translation>Outcome</translation>
    </message>
    <message>
        <source>Последний считанный архив</source>
        <translation>Last archive read</translation>
    </message>
    <message>
        <source>Последний архив считан с другого счётчика</source>
        <translation>The last archive was read from another meter</translation>
    </message>
    <message>
        <source>Архив не считывался</source>
        <translation>No archive was read</translation>
    </message>
    <message>
        <source>Архив</source>
        <translation>Archive</translation>
    </message>
    <message>
        <source>Записей</source>
        <translation>Records</translation>
    </message>
    <message>
        <source>Первая</source>
        <translation>First</translation>
    </message>
    <message>
        <source>Последняя</source>
        <translation>Last</translation>
    </message>
    <message>
        <source>Расход по месяцам, %1</source>
        <translation>Consumption per month, %1</translation>
    </message>
    <message>
        <source>Статистика линии с открытия порта</source>
        <translation>Line statistics since the port was opened</translation>
    </message>
    <message>
        <source>Запросов</source>
        <translation>Requests</translation>
    </message>
    <message>
        <source>Ответов</source>
        <translation>Answers</translation>
    </message>
    <message>
        <source>Без ответа</source>
        <translation>Missing answers</translation>
    </message>
    <message>
        <source>Некорректных ответов</source>
        <translation>Bad answers</translation>
    </message>
    <message>
        <source>Ожиданий</source>
        <translation>Waits</translation>
    </message>
    <message>
        <source>Повторов</source>
        <translation>Resends</translation>
    </message>
    <message>
        <source>файл пуст</source>
        <translation>the file is empty</translation>
    </message>
</context>
<context>
    <name>settings</name>
    <message>
        <source>Form</source>
        <translation>Form</translation>
    </message>
    <message>
        <source>Порт</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>Скорость</source>
        <translation>Baud rate</translation>
    </message>
    <message>
        <source>1200</source>
        <translation>1200</translation>
    </message>
    <message>
        <source>2400</source>
        <translation>2400</translation>
    </message>
    <message>
        <source>4800</source>
        <translation>4800</translation>
    </message>
    <message>
        <source>9600</source>
        <translation>9600</translation>
    </message>
    <message>
        <source>Количество стоп битов</source>
        <translation>Stop bits</translation>
    </message>
    <message>
        <source>1</source>
        <translation>1</translation>
    </message>
    <message>
        <source>2</source>
        <translation>2</translation>
    </message>
    <message>
        <source>Проверка на четность</source>
        <translation>Parity</translation>
    </message>
    <message>
        <source>нет проверки</source>
        <translation>none</translation>
    </message>
    <message>
        <source>проверка на нечетность</source>
        <translation>odd</translation>
    </message>
    <message>
        <source>проверка на четность</source>
        <translation>even</translation>
    </message>
    <message>
        <source>Время успешныx посылок(осн. окно), мс</source>
        <translation>Answer wait (main window), ms</translation>
    </message>
    <message>
        <source>Время неуспешных посылок(осн. окно), мс</source>
        <translation>Wait after a failure (main window), ms</translation>
    </message>
    <message>
        <source>Время успешныx посылок(архив), мс</source>
        <translation>Answer wait (archive), ms</translation>
    </message>
    <message>
        <source>Время неуспешных посылок(архив), мс</source>
        <translation>Wait after a failure (archive), ms</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Параметры СОМ порта</source>
        <translation>COM port settings</translation>
    </message>
    <message>
        <source>Сетевая линия (RTU поверх TCP)</source>
        <translation>Network line (RTU over TCP)</translation>
    </message>
    <message>
        <source>Адрес сервера</source>
        <translation>Server address</translation>
    </message>
    <message>
        <source>TCP порт</source>
        <translation>TCP port</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>write</name>
    <message>
        <source>адрес %1 в поле адреса</source>
        <translation>address %1 in the address field</translation>
    </message>
    <message>
        <source>скорость %1 в настройках порта</source>
        <translation>rate %1 in the port settings</translation>
    </message>
    <message>
        <source>нет проверки</source>
        <translation>no parity</translation>
    </message>
    <message>
        <source>проверка на нечетность</source>
        <translation>odd parity</translation>
    </message>
    <message>
        <source>проверка на четность</source>
        <translation>even parity</translation>
    </message>
    <message>
        <source>стоп-битов %1, %2 в настройках порта</source>
        <translation>%1 stop bits, %2 in the port settings</translation>
    </message>
</context>
</TS>