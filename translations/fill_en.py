#!/usr/bin/env python3
"""Fills the texts of configurator_en.ts that lack English with the texts below.

A text already translated is kept: the same Russian may read differently in
two windows, and such translations are made by hand in the .ts.

After `lupdate` has added new source texts, add their English here and run
this script; the test suite fails while any text lacks a translation.
"""
import sys
import xml.etree.ElementTree as ET

ENGLISH = {
    # Quantities and their units
    'Для следующего обмена: %1': 'For the next exchange: %1', 'Объём': 'Volume', 'С начала': 'Since the start',
    'Расход': 'Flow', 'Обратный': 'Reverse', 'Пок. обр. потока': 'Reverse flow', 'м3/ч': 'm3/h', 'ед./ч': 'counts/h',
    # Shared captions
    'Form': 'Form', 'MainWindow': 'MainWindow', 'TextLabel': 'TextLabel', 'Tab 1': 'Tab 1', 'Tab 2': 'Tab 2',
    'Страница': 'Page', 'OK': 'OK', '1': '1', '2': '2', '1200': '1200', '2400': '2400', '4800': '4800',
    '9600': '9600',
    # Log window
    'Сохранить': 'Save', 'Очистить': 'Clear', 'Логи': 'Log', 'Сохранить лог': 'Save log',
    'Текстовые файлы (*.txt)': 'Text files (*.txt)', 'Не удалось сохранить файл: ': 'Could not save the file: ',
    # Main window
    'Настройка порта': 'Port settings', 'Запуск порта': 'Open port',
    'Считать из счетчика параметры и показания': 'Read parameters and readings from the meter',
    'Считать из счетчика архивные показания': 'Read archives from the meter',
    'Открыть архив ': 'Open archive ', 'Записать в счетчик': 'Write to the meter', 'Лог': 'Log',
    'Поиск счетчиков': 'Find meters', 'Адрес устройств': 'Device address', 'Код скорости обмена': 'Baud rate code',
    '0 - 1200': '0 - 1200', '1 - 2400': '1 - 2400', '2 - 4800': '2 - 4800', '3 - 9600': '3 - 9600',
    'Параметры битов четности': 'Parity and stop bits',
    '0x0001 - 1 cт.бит нет проверки на четность': '0x0001 - 1 stop bit, no parity',
    '0х0002 - 2 ст.бита, нет проверки на четность': '0x0002 - 2 stop bits, no parity',
    '0х0201 - 1 ст.бит, проверка на нечетность': '0x0201 - 1 stop bit, odd parity',
    '0x0202 - 2 ст.бит, проверка на нечетность': '0x0202 - 2 stop bits, odd parity',
    '0х0301 - 1 ст.бит, проверка на четность': '0x0301 - 1 stop bit, even parity',
    '0х0302 - 2 ст.бит, проверка на четность': '0x0302 - 2 stop bits, even parity',
    'Дата сохранения': 'Save date', 'Обращ. по адресу устр.': 'By device address',
    'Обращ. по сер. номеру': 'By serial number', 'Версия протокола': 'Protocol version',
    'Версия ПО': 'Software version', 'Идентификатор ПО': 'Software identifier', 'Модель счетчика': 'Meter model',
    'Число К': 'K number', 'Порог эл. блока': 'Electronics threshold', 'Тип устройства': 'Device type',
    'Серийный номер': 'Serial number', 'Текущие показания': 'Current readings', 'Записывать время': 'Write the time',
    'Ручной ввод': 'Typed by hand', 'Время': 'Time', 'Показания, м3': 'Reading, m3', 'События': 'Events',
    'Пок. обр. потока, м3': 'Reverse flow, m3', 'Пок. на посл. сутки': 'Last day',
    'Показания на начало часа': 'Start of the hour',
    'Пок. на начало сохр. в мес. журнал': 'Start of the monthly journal',
    'Номер сборки': 'Build number', 'Дата компиляции': 'Compile date', 'Время компиляции': 'Compile time',
    'Конфигуратор счётчика воды с RS485 протокол ModBUS варианты исполнения 2 и 3':
        'Water meter configurator, RS485, Modbus protocol versions 2 and 3',
    'Настройки не считаны': 'Settings not read', 'Модели не прочитаны': 'Models not read',
    'Настройки не сохранены': 'Settings not saved', 'Соединение установлено': 'Port open',
    'Нет соединения': 'Port not opened', 'Дождитесь окончания обмена': 'Wait until the exchange ends',
    'Неверный серийный номер': 'Invalid serial number', 'Неверный адрес устройства': 'Invalid device address',
    'Порт не открыт': 'Port not open', 'Не выбран способ обращения к счетчику': 'Choose how to address the meter',
    'Соединение отсутствует': 'No connection', 'Некорректные данные': 'Invalid data',
    'неизвестная-': 'unknown-', 'неизвестная': 'unknown', 'Запись завершена': 'Write complete',
    'Неверный новый адрес устройства': 'Invalid new device address', 'Неверная дата сохранения': 'Invalid save date',
    'Неверный формат времени': 'Invalid time format', 'Запись не подтверждена': 'Write not confirmed',
    'Идет чтение архива': 'Reading the archive', 'Архив не прочитан': 'Archive not read',
    'Некорректные параметры чтения': 'Invalid read parameters', 'Архив прочитан': 'Archive read',
    'Некорректные данные архива': 'Invalid archive data', 'Неверные данные': 'Invalid data',
    # Scan window
    'С адреса': 'From address', 'По адрес': 'To address', 'Ожидание ответа, мс': 'Answer wait, ms',
    'Начать': 'Start', 'Стоп': 'Stop', 'Выбрать': 'Choose', 'Адрес': 'Address', 'Модель': 'Model',
    'Неверный диапазон адресов': 'Invalid address range', 'Адрес %1 из %2, найдено %3': 'Address %1 of %2, found %3',
    'Поиск завершен, найдено %1': 'Search complete, found %1', 'Поиск остановлен, найдено %1': 'Search stopped, found %1',
    'Поиск прерван, найдено %1': 'Search interrupted, found %1',
    # Archive window
    'Сохранить в файл': 'Save to file', 'Архив': 'Archive', 'Часовой': 'Hourly', 'Суточный': 'Daily',
    'Месячный': 'Monthly', 'Сохранить архив': 'Save archive', 'Файлы CSV (*.csv)': 'CSV files (*.csv)',
    'ед.': 'units', 'м3': 'm3', 'Номер записи': 'Record', 'Событие': 'Event',
    'Нет данных': 'No data', 'Расход за интервал, %1': 'Consumption per interval, %1',
    'Архив: %1': 'Archive: %1', '%1; время чтения %2': '%1; read at %2',
    # Meter values and Modbus exceptions
    'хол. воды': 'cold water', 'вода': 'water', 'гор. вод': 'hot water',
    'Неизвестная команда': 'Unknown command', 'Неизвестный адрес регистра': 'Unknown register address',
    'Неверное значение параметра': 'Invalid parameter value',
    # Settings window
    'Порт': 'Port', 'Скорость': 'Baud rate', 'Количество стоп битов': 'Stop bits', 'Проверка на четность': 'Parity',
    'нет проверки': 'none', 'проверка на нечетность': 'odd', 'проверка на четность': 'even',
    'Время успешныx посылок(осн. окно), мс': 'Answer wait (main window), ms',
    'Время неуспешных посылок(осн. окно), мс': 'Wait after a failure (main window), ms',
    'Время успешныx посылок(архив), мс': 'Answer wait (archive), ms',
    'Время неуспешных посылок(архив), мс': 'Wait after a failure (archive), ms',
    'Параметры СОМ порта': 'COM port settings',
    # Reading a whole line and setting every clock
    'Считать все': 'Read all', 'Установить время всем': 'Set the time on all', 'Обр. поток, м3': 'Reverse flow, m3',
    'Время счетчика': 'Meter clock', 'Расхождение, с': 'Offset, s', 'Результат': 'Outcome',
    'Нет ответа': 'No answer', 'Исключение %1': 'Exception %1', 'Обмен остановлен': 'Exchange stopped',
    'Время установлено': 'Time set', 'нет': 'none', 'Не считан': 'Not read', '%1, повтор в конце': '%1, asked again last',
    '%1 (по сер. номеру)': '%1 (by serial number)',
    'Список пуст: сначала найдите счетчики': 'The list is empty: find the meters first',
    'Чтение счетчиков: %1': 'Reading meters: %1', 'Нет ответивших счетчиков': 'No meter has answered',
    'Установка времени: %1': 'Setting the time: %1', 'Считано %1 из %2': 'Read %1 of %2',
    'Чтение прервано: порт не открыт, считано %1 из %2': 'Reading interrupted: port not open, read %1 of %2',
    'Чтение остановлено, считано %1 из %2': 'Reading stopped, read %1 of %2',
    'Установка прервана: порт не открыт, установлено %1 из %2':
        'Setting interrupted: port not open, set on %1 of %2',
    'Установка остановлена, установлено %1 из %2': 'Setting stopped, set on %1 of %2',
    'Время установлено на %1 из %2': 'Time set on %1 of %2',
    # Scan window: the search over rates and parities
    'Скорость и четность': 'Baud rate and parity', 'Перебрать скорости и четности': 'Try several rates and parities',
    'нет': 'none', 'нечет': 'odd', 'чет': 'even', '%1 с': '%1 s', '%1 мин %2 с': '%1 min %2 s',
    'Поиск займет около %1': 'The search takes about %1', '%1, %2': '%1, %2',
    'Скорость, четность': 'Rate, parity',
    'Выберите хотя бы одну скорость и одну четность': 'Choose at least one rate and one parity',
    'Скорость и четность этой линии программа не меняет: найдите счетчики на настройке порта':
        'The program cannot change the rate and parity of this line: search at the port settings',
    'Не удалось сменить скорость порта': 'Could not change the port rate',
    'Эти счетчики на другой скорости или четности: выберите один, затем считайте':
        'These meters are at another rate or parity: choose one, then read',
    'Не считаны счетчики на другой скорости или четности: %1': 'Meters at another rate or parity not read: %1',
    # Network line (RTU over TCP)
    'Сетевая линия (RTU поверх TCP)': 'Network line (RTU over TCP)', 'Адрес сервера': 'Server address',
    'TCP порт': 'TCP port', 'Подключение...': 'Connecting...', 'Подключение к %1:%2': 'Connecting to %1:%2',
    'Подключено к %1:%2': 'Connected to %1:%2',
    'Сервер линии не задан: укажите адрес и TCP порт в "Настройка порта"':
        'No line server set: enter its address and TCP port in "Port settings"',
    'Имя %1 не найдено: проверьте адрес сервера': 'Name %1 not found: check the server address',
    '%1 отказал в соединении: проверьте TCP порт и что сервер включен':
        '%1 refused the connection: check the TCP port and that the server is on',
    '%1 не ответил за %2 с: проверьте адрес и сеть': '%1 did not answer within %2 s: check the address and the network',
    'Сеть до %1 недоступна: проверьте подключение': 'Network to %1 unreachable: check the connection',
    'Нет соединения с %1': 'No connection to %1',
    '<- ещё %1 байт без запроса не показано': '<- %1 more bytes without a request not shown',
    # Readings journal
    'Журнал': 'Journal', 'Журнал: %1': 'Journal: %1', 'Версия': 'Version', 'Адрес': 'Address',
    'Показания': 'Reading', 'Время чтения': 'Read at', 'Время счетчика': 'Meter time',
    'Обратный поток': 'Reverse flow', 'С': 'From', 'по': 'to',
    'Журнал %1 поврежден и оставлен как есть; показания не записываются':
        'The journal %1 is damaged and left as it is; readings are not kept',
    'Журнал %1 только для чтения; показания не записываются': 'The journal %1 is read-only; readings are not kept',
    'Журнал %1 создан более новой версией программы; показания не записываются':
        'The journal %1 was made by a newer version of the program; readings are not kept',
    'Журнал %1 занят другой копией программы; показания не записываются':
        'The journal %1 is in use by another copy of the program; readings are not kept',
    'Сервер журнала %1 недоступен; показания не записываются':
        'The journal server %1 cannot be reached; readings are not kept',
    'Сервер журнала %1 отклонил вход; показания не записываются':
        'The journal server %1 refused the login; readings are not kept',
    'Ошибка журнала %1; показания больше не записываются': 'Journal %1 failed; readings are no longer kept',
    'Журнал не успевает: последнее чтение в него не записано':
        'The journal is falling behind: the last read was not kept in it',
    'Архив не записан в журнал: номер счетчика неизвестен, сначала считайте параметры':
        'The archive was not kept in the journal: the meter\'s serial number is unknown, read its parameters first',
    'Пароль к серверу журнала %1:': 'Password for the journal server %1:',
    # Service tools: register window, watch, service report
    'Регистры': 'Registers', 'Наблюдение': 'Watch', 'Период наблюдения': 'Watch period', ' с': ' s',
    'Отчёт': 'Report', 'Идёт наблюдение: остановите его': 'A watch is running: stop it first',
    'Стоп наблюдения': 'Stop watch', 'Наблюдение остановлено': 'Watch stopped', 'Адрес устройства': 'Device address',
    'с/н %1': 'S/N %1', 'адрес %1': 'address %1', 'подтверждено': 'confirmed', '%1, %2 бод, 8%3%4': '%1, %2 baud, 8%3%4',
    'м³': 'm³', 'Текущий объём': 'Current volume', 'Текущее событие': 'Current event', 'Обратный поток': 'Reverse flow',
    'На начало часа': 'Start of the hour', 'На последние сутки': 'Last day',
    'На начало месячного журнала': 'Start of the monthly journal', '%1: %2, событие %3': '%1: %2, event %3',
    'Сначала считайте параметры счётчика': 'Read the meter\'s parameters first', 'Сохранить отчёт': 'Save report',
    'Файлы PDF (*.pdf)': 'PDF files (*.pdf)', 'Отчёт сохранён: %1': 'Report saved: %1', 'Считать': 'Read',
    'значения через пробел: 123 0x00FF -5': 'values separated by spaces: 123 0x00FF -5',
    '32-битные (2 регистра, младший первым)': '32-bit (2 registers, low one first)', 'Записать': 'Write',
    'Регистр': 'Register', 'Hex': 'Hex', 'Без знака': 'Unsigned', 'Со знаком': 'Signed',
    '32 бит без знака': '32-bit unsigned', '32 бит со знаком': '32-bit signed',
    'Этот регистр — младшие 16 бит, следующий — старшие': 'This register holds the low 16 bits, the next one the high',
    'Первый регистр': 'First register', 'Количество': 'Count', 'Значения': 'Values',
    'Неверный номер регистра: 0…65535, десятичный или 0x…': 'Invalid register: 0…65535, decimal or 0x…',
    'Неверное количество: от 1 до %1 регистров за один запрос, не дальше 0xFFFF':
        'Invalid count: 1 to %1 registers per request, not past 0xFFFF',
    'Введите значения для записи': 'Type the values to write', '«%1» — не число': '"%1" is not a number',
    '«%1» вне пределов 32 бит: от −2147483648 до 4294967295': '"%1" is out of the 32-bit range −2147483648 to 4294967295',
    '«%1» вне пределов 16 бит: от −32768 до 65535': '"%1" is out of the 16-bit range −32768 to 65535',
    'Слишком много регистров: не больше %1 за одну запись, не дальше 0xFFFF':
        'Too many registers: at most %1 per write, not past 0xFFFF',
    'Записать в счётчик (%1) с регистра %2: %3?': 'Write to the meter (%1) from register %2: %3?',
    'Запись отменена': 'Write cancelled', 'Запись…': 'Writing…', 'Чтение…': 'Reading…',
    'Исключение %1': 'Exception %1', 'Обмен остановлен': 'Exchange stopped', 'Считано регистров: %1': 'Registers read: %1',
    'не записано: %1': 'not written: %1', 'записано, обратное чтение не удалось: %1': 'written, read-back failed: %1',
    'записано, но прочитано другое: %1': 'written, but read back as: %1',
    'записано и прочитано обратно': 'written and read back', 'регистры с %1': 'registers from %1',
    'Изменение с начала, %1': 'Change since the start, %1', '%1 с': '%1 s',
    'Остановить наблюдение': 'Stop watching', 'Наблюдение: раз в %1 с': 'Watching: every %1 s',
    '%1: наблюдение окончено': '%1: watch ended', '%1: %2; пропущено опросов: %3': '%1: %2; rounds missed: %3',
    'Часы счётчика': 'Meter clock', 'Объём, %1': 'Volume, %1', 'С начала, %1': 'Since the start, %1',
    'Расход, %1/ч': 'Flow, %1/h', 'Обратный, %1': 'Reverse, %1',
    'Наблюдение: опросов %1; в таблице последние %2': 'Watching: %1 rounds; the table keeps the last %2',
    'Наблюдение: опросов %1': 'Watching: %1 rounds', '%1 сут ': '%1 d ', '%1 ч ': '%1 h ', '%1 мин ': '%1 min ',
    'короткий ответ': 'too short', 'длинный ответ': 'too long', 'неверная CRC': 'bad CRC',
    'чужой адрес': 'wrong address', 'неверная функция': 'wrong function', 'неверное число байт': 'wrong byte count',
    'исключение Modbus': 'Modbus exception', 'Сервисный отчёт счётчика %1': 'Service report of meter %1',
    'Составлен %1': 'Made %1', 'Идентификация': 'Identification', 'Линия': 'Line', 'Показания': 'Readings',
    'Время компьютера при чтении': 'Computer time at the read',
    'Расхождение (счётчик − компьютер)': 'Offset (meter − computer)',
    'Записи с начала работы программы': 'Writes since the program started', 'Записей не было': 'No writes',
    'Счётчик': 'Meter', 'Что': 'What', 'Значение': 'Value', 'Итог': 'Outcome',
    # Table exports
    'Сохранить в CSV': 'Save to CSV', 'Сохранить таблицу': 'Save table', 'Сохранить наблюдение': 'Save watch',
    'Начало': 'Started',
    'Последний считанный архив': 'Last archive read', 'Архив не считывался': 'No archive was read',
    'Записей': 'Records', 'Первая': 'First', 'Последняя': 'Last', 'Расход по месяцам, %1': 'Consumption per month, %1',
    'Статистика линии с открытия порта': 'Line statistics since the port was opened', 'Запросов': 'Requests',
    'Ответов': 'Answers', 'Без ответа': 'Missing answers', 'Некорректных ответов': 'Bad answers',
    'Ожиданий': 'Waits', 'Повторов': 'Resends', 'файл пуст': 'the file is empty',
    '; без ответа: %1': '; no answer: %1',
    'Последний архив считан с другого счётчика': 'The last archive was read from another meter',
    # Log window: the tail shown
    'Показаны последние %1 строк; «Сохранить» запишет весь лог':
        'Showing the last %1 lines; "Save" writes the whole log',
    'Лог не записывается на диск: «Сохранить» запишет только показанные строки':
        'The log cannot be kept on disk: "Save" writes the lines shown only',
    # The collector (configurator-collect) and the consumption over a period
    'Использование:\n'
    '  configurator-collect ЛИНИИ.json --once|--every СЕКУНД --journal ЖУРНАЛ [--set-clock-over СЕКУНД]\n'
    '  configurator-collect --consumption С ПО --journal ЖУРНАЛ [--out ФАЙЛ.csv]\n'
    'ЖУРНАЛ: файл SQLite или postgresql://пользователь@сервер:порт/база (пароль в METER_JOURNAL_PASSWORD).\n'
    'С, ПО: ГГГГ-ММ-ДД [ЧЧ:ММ[:СС]], местное время.\n':
        'Usage:\n'
        '  configurator-collect LINES.json --once|--every SECONDS --journal JOURNAL [--set-clock-over SECONDS]\n'
        '  configurator-collect --consumption FROM TO --journal JOURNAL [--out FILE.csv]\n'
        'JOURNAL: an SQLite file or postgresql://user@host:port/database (password in METER_JOURNAL_PASSWORD).\n'
        'FROM, TO: YYYY-MM-DD [HH:MM[:SS]], local time.\n',
    '--every: ожидается число секунд больше 0': '--every: a number of seconds above 0 expected',
    '--set-clock-over: ожидается число секунд': '--set-clock-over: a number of seconds expected',
    '--journal: ожидается файл или postgresql://...': '--journal: a file or postgresql://... expected',
    '--out: ожидается имя файла': '--out: a file name expected',
    '--consumption: ожидаются две даты ГГГГ-ММ-ДД [ЧЧ:ММ], первая раньше второй':
        '--consumption: two dates YYYY-MM-DD [HH:MM] expected, the first before the second',
    'непонятный аргумент %1': 'unknown argument %1', 'не указан журнал (--journal)': 'no journal given (--journal)',
    '--consumption берет только --journal и --out': '--consumption takes only --journal and --out',
    '--out только с --consumption': '--out only with --consumption', 'не указан файл линий': 'no lines file given',
    'нужен один из --once и --every': 'one of --once and --every is needed',
    '--status ФАЙЛ: файл для мониторинга (формат Prometheus), переписывается после каждого круга.':
        '--status FILE: a file for monitoring (Prometheus format), written anew after every round.',
    '--status: ожидается имя файла': '--status: a file name expected',
    'Круг %1: считано %2 из %3 счетчиков': 'Round %1: %2 of %3 meters read',
    'Файл состояния %1 не записан: %2': 'The status file %1 was not written: %2',
    'Линий %1, счетчиков %2, журнал %3': '%1 lines, %2 meters, journal %3',
    ' не ведется': ' not kept',
    ' ед.': ' units', ' м3': ' m3', ' с': ' s', ', со второго раза': ', at the second attempt',
    'архив: %1 записей': 'archive: %1 records', 'Расход %1 счетчиков записан в %2': 'Consumption of %1 meters written to %2',
    'имя сервера линии не найдено': 'the line server\'s name was not found',
    'сервер линии отклонил соединение': 'the line server refused the connection',
    'сервер линии не отвечает': 'the line server does not answer',
    'сеть сервера линии недоступна': 'the line server\'s network is unreachable',
    'нет соединения с сервером линии': 'no connection to the line server',
    'не JSON: %1': 'not JSON: %1', 'ожидается объект {"lines": [...]}': 'an object {"lines": [...]} expected',
    'нет линий ("lines")': 'no lines ("lines")', 'имя линии "%1" уже занято линией %2': 'line name "%1" is taken by line %2',
    'неизвестный ключ "%1"': 'unknown key "%1"', 'ожидается целое от %1 до %2': 'a whole number from %1 to %2 expected',
    'ожидается строка': 'a string expected', 'счетчик: ожидается объект': 'meter: an object expected',
    '"address" и "serial" вместе: счетчик задается одним из них':
        '"address" and "serial" together: a meter is given by one of them',
    'счетчик без "address" или "serial"': 'a meter without "address" or "serial"',
    'ожидается 12 шестнадцатеричных цифр': '12 hexadecimal digits expected', 'линия: ожидается объект': 'line: an object expected',
    'линия без имени ("name")': 'a line without a name ("name")',
    '"port" вместе с "host"/"tcp_port": линия либо на порту, либо за сервером':
        '"port" with "host"/"tcp_port": a line is on a port or behind a server',
    'линия без "port" или "host" и "tcp_port"': 'a line without "port" or "host" and "tcp_port"',
    'пустое имя порта': 'empty port name', 'ожидается имя или адрес сервера': 'a server name or address expected',
    'линия без "tcp_port"': 'a line without "tcp_port"',
    'ожидается 1200, 2400, 4800, 9600, 19200, 38400, 57600 или 115200':
        '1200, 2400, 4800, 9600, 19200, 38400, 57600 or 115200 expected',
    'ожидается none, odd или even': 'none, odd or even expected', 'линия без счетчиков ("meters")': 'a line without meters ("meters")',
    'счетчик указан дважды': 'the meter is listed twice', 'адрес %1': 'address %1',
    'часовой архив': 'hourly archive', 'суточный архив': 'daily archive', 'месячный архив': 'monthly archive',
    'опрос': 'poll', 'Метка': 'Label', 'Показания на начало': 'Reading at the start', 'Взято': 'Taken',
    'Откуда': 'From', 'Показания на конец': 'Reading at the end', 'Расход': 'Consumption', 'Единицы': 'Units',
    'Отметки': 'Marks', 'нет показаний на начало': 'no reading at the start', 'нет показаний на конец': 'no reading at the end',
    'часы счетчика расходятся более чем на 10 минут': 'the meter\'s clock is off by more than 10 minutes',
    'Расход за период': 'Consumption over a period', 'Сохранить расход': 'Save the consumption',
    'Поиск': 'Search', 'Номер, модель, адрес, метка или линия': 'Serial, model, address, label or line',
    'С %1 по %2, счетчиков: %3': 'From %1 to %2, meters: %3',
    'Журнал %1 уже пишет другой сборщик (процесс %2 на %3); этот останавливается':
        'Another collector writes the journal %1 (process %2 on %3); this one stops',
    'Журнал не успевает, не записано: %1': 'The journal falls behind, not kept: %1',
    'Сервер журнала %1 потерян (%2); чтения ждут его в очереди':
        'The journal server %1 is lost (%2); the reads wait for it in the queue',
    'Сервер журнала %1 потерян; чтения ждут его в очереди': 'The journal server %1 is lost; the reads wait for it in the queue',
    'Ожидание тишины на линии, %1 с': 'Waiting for a quiet line, %1 s',
    'Сервер журнала %1 потерян (%2); линии круга ждут его':
        'The journal server %1 is lost (%2); the round\'s lines wait for it',
    'Сервер журнала %1 снова доступен; линии круга раздаются дальше':
        'The journal server %1 is back; the round\'s lines are handed out again',
    'Нет ответа от журнала %1': 'No answer from the journal %1',
    'Журнал %1 не принял вход': 'The journal %1 turned the login away',
    '%1: круг %2 читает все линии без раздачи': '%1: round %2 reads every line without handing them out',
    '%1: круг %2 читает без раздачи линии прошлого круга этого сборщика: %3':
        '%1: round %2 reads, without handing them out, the lines this collector read in its last round: %3',
    'нет ответа %1 с': 'no answer for %1 s',
    'Сервер журнала %1 снова доступен; записано из очереди: %2': 'The journal server %1 is back; written from the queue: %2',
    'Круг %1: считано %2 из %3 счетчиков на %4 линиях за %5 с, запросов %6':
        'Round %1: %2 of %3 meters read on %4 lines in %5 s, %6 requests',
    'Не считаны:\n': 'Not read:\n', 'Журнал не принял все чтения за %1 с': 'The journal did not take every read in %1 s',
    'Не записаны в журнал:\n  ': 'Not kept in the journal:\n  ', 'порт %1 не открыт': 'port %1 did not open',
    'архив прочитан не весь: %1': 'archive read in part: %1', 'время установлено, смещение %1 с': 'time set, offset %1 s',
    'время установлено, не прочитано обратно': 'time set, not read back', 'время не установлено: %1': 'time not set: %1',
    '%1 чтений в очереди журнала': '%1 reads in the journal\'s queue', 'показания %1 от %2': 'reading %1 of %2',
    'архив %1 от %2': 'archive %1 of %2', 'метка %1': 'label %1', 'установка времени %1 в %2': 'time setting %1 at %2',
    'журнал не указан': 'no journal given',
    'Журнал %1 — папка, а не файл; показания не записываются':
        'The journal %1 is a folder, not a file; readings are not kept',
    'Не записано в журнал: %1': 'Not kept in the journal: %1',
    'Круг %1 остановлен: считано %2 из %3 счетчиков': 'Round %1 stopped: %2 of %3 meters read',
    'сбор остановлен': 'collection stopped', 'линия не роздана: %1': 'line not handed out: %1',
    'сервер журнала отклонил вход': 'the journal server turned the login away',
    'журнал не ведется': 'the journal is not kept', 'нет связи с журналом': 'no connection to the journal',
    'сертификат сервера журнала не принят': 'the journal server\'s certificate was not accepted',
    'TLS с сервером журнала %1 не установлено: сертификат сервера не принят или TLS не предлагается; проверьте sslrootcert, имя сервера и sslmode; показания не записываются':
        'No TLS with the journal server %1: the server\'s certificate was not accepted or no TLS is offered; check sslrootcert, the server name and sslmode; readings are not kept',
    '%1: параметр %2 не принимается; допустимы sslmode и sslrootcert, каждый один раз':
        '%1: the key %2 is not accepted; sslmode and sslrootcert are, each once',
    '%1: в sslrootcert ожидается файл сертификата центра сертификации':
        '%1: sslrootcert must name the CA\'s certificate file',
    '%1: sslmode=%2 не принимается; допустимы %3': '%1: sslmode=%2 is not accepted; allowed: %3',
    '%1: ожидается postgresql://пользователь@сервер:порт/база, пароль в %2':
        '%1: postgresql://user@host:port/database expected, the password in %2',
    # Guarded writes
    'Часы счетчика хранят время от %1 до %2': 'The meter\'s clock holds times from %1 to %2',
    'После перезапуска счетчик будет отвечать только так: %1.\n'
    'При других настройках порта связь с ним пропадет. Записать?':
        'After its restart the meter will answer only with: %1.\n'
        'With other port settings it will be lost from the line. Write?',
    'Установить часы счетчиков по часам компьютера?\n'
    'Ответивших счетчиков: %1, из них расходятся с компьютером более чем на %2 с: %3.':
        'Set the meters\' clocks to the computer\'s?\n'
        'Meters that answered: %1, of them off from the computer by more than %2 s: %3.',
    'Все (%1)': 'All (%1)', 'Только расходящиеся (%1)': 'Only those off (%1)',
    'Установка времени отменена': 'Clock setting cancelled', 'Расходятся более чем на': 'Off by more than',
    '"Установить время всем" предложит установить только часы, расходящиеся с компьютером больше этого':
        '"Set the time on all" offers to set only the clocks off from the computer by more than this',
    # Small things: the log's time, "О программе", the line in use, settings at exit
    'Время компьютера перед каждой строкой, до миллисекунд':
        'The computer\'s time before each line, to the millisecond',
    'О программе': 'About',
    'Конфигуратор счётчика воды с RS485\n\nВерсия %1\nСборка %2\nQt %3 (собрана с Qt %4)\n\n'
    'Лицензии: Qt и Qt Serial Port — GNU LGPL 3 (www.qt.io/licensing), '
    'их тексты приложены к программе для Windows; SQLite — общественное достояние.':
        'Water meter configurator with RS485\n\nVersion %1\nBuild %2\nQt %3 (built with Qt %4)\n\n'
        'Licences: Qt and Qt Serial Port — GNU LGPL 3 (www.qt.io/licensing), '
        'their texts come with the Windows program; SQLite — public domain.',
    'Настройки не сохранены, файлы недоступны для записи:\n%1':
        'Settings not saved, the files cannot be written:\n%1',
    'порт не выбран': 'no port chosen',
    # Commissioning a riser (search window)
    'Время компьютера': "The computer's clock",
    'Введите серийные номера: 12 шестнадцатеричных цифр каждый': 'Type the serial numbers: 12 hex digits each',
    'Поиск по серийным номерам: %1': 'Looking up serial numbers: %1',
    'Выберите счетчики, найденные по серийному номеру': 'Select meters found by serial number',
    'Выберите счетчики': 'Select the meters',
    'Записать в выбранные счетчики (%1): %2?': 'Write to the selected meters (%1): %2?',
    'После перезапуска счетчики будут отвечать только так: %1.\nПри других настройках порта связь с ними пропадет.':
        'After a restart the meters will answer only so: %1.\nWith other port settings they will be out of reach.',
    'Результат записи': 'Write result', 'Назначение адресов: %1': 'Assigning addresses: %1',
    'Запись: %1': 'Writing: %1',
    'Поиск прерван: порт не открыт, найдено %1': 'Search cut short: the port is not open, %1 found',
    'Найдено %1 из %2, не ответили: %3': '%1 of %2 found, no answer from: %3',
    'Найдено %1 из %2': '%1 of %2 found',
    'Запись прервана: порт не открыт, записано %1 из %2': 'Write cut short: the port is not open, %1 of %2 written',
    'Запись остановлена, записано %1 из %2': 'Write stopped, %1 of %2 written',
    'Записано %1 из %2': '%1 of %2 written',
    'Адреса заняты другими счетчиками и пропущены: %1': 'Addresses taken by other meters, passed over: %1',
    'Не записано': 'Not written', 'Ввод в эксплуатацию': 'Commissioning', 'Серийные номера': 'Serial numbers',
    '0012345678ab 0012345678ac ...': '0012345678ab 0012345678ac ...',
    'Серийные номера новых счетчиков (12 цифр), через пробел или запятую':
        'Serial numbers of the new meters (12 digits), separated by spaces or commas',
    'Найти по сер. номерам': 'Find by serial numbers', 'Адреса с': 'Addresses from',
    'Первый адрес: выбранные счетчики получат адреса по порядку, занятые адреса пропускаются':
        'The first address: the selected meters get addresses in turn, addresses taken are passed over',
    'Назначить адрес': 'Assign addresses', '1..31': '1..31', 'Записать выбранным': 'Write to selected',
    'Свободных адресов не осталось': 'No free address left',
    # The collector's words for a lines file it cannot read
    ', пустых ячеек без времени не записано: %1': ', empty slots without a time not kept: %1',
    'файл не найден': 'file not found', 'это папка, а не файл': 'a folder, not a file',
    'файл не читается: нет прав на чтение или он занят': 'cannot be read: no permission to read it, or it is in use',
    'объект не закрыт скобкой }': 'object not closed by }', 'после имени нет двоеточия': 'no colon after the name',
    'список не закрыт скобкой ]': 'list not closed by ]', 'между значениями нет запятой': 'no comma between values',
    'недопустимое значение': 'illegal value', 'файл оборван на числе': 'the file ends in a number',
    'недопустимое число': 'illegal number', 'недопустимый знак после \\': 'illegal character after \\',
    'текст не в UTF-8': 'text not in UTF-8', 'строка не закрыта кавычкой': 'string not closed by a quote',
    'пропущено значение': 'a value is missing', 'слишком глубокая вложенность': 'nested too deep',
    'файл слишком велик': 'file too large', 'лишнее после конца': 'more after the end', 'ошибка %1': 'error %1',
}


def main(path):
    tree = ET.parse(path)
    missing = []
    for message in tree.getroot().iter('message'):
        source = message.find('source').text
        translation = message.find('translation')
        if translation.get('type') != 'unfinished' and translation.text:
            continue  # already translated, perhaps by hand for its context
        if source in ENGLISH:
            translation.text = ENGLISH[source]
            translation.attrib.pop('type', None)
        else:
            missing.append(source)
    tree.write(path, encoding='utf-8', xml_declaration=True)
    for source in missing:
        print('no English for:', source, file=sys.stderr)
    return 1 if missing else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else 'translations/configurator_en.ts'))
