<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru" sourcelanguage="en">
<context>
    <name>zefir</name>
    <message>
        <location filename="../../core/ByteReader.h" line="+82"/>
        <location filename="../../core/FileIo.cpp" line="+246"/>
        <location line="+250"/>
        <source>%1 at %2 runs past the end of the file (%3)</source>
        <translation>%1 по смещению %2 выходит за конец файла (%3)</translation>
    </message>
    <message numerus="yes">
        <location filename="../../core/Error.cpp" line="+59"/>
        <source>%n bytes</source>
        <comment>%n byte</comment>
        <translation>
            <numerusform>%n байт</numerusform>
            <numerusform>%n байта</numerusform>
            <numerusform>%n байт</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>zefir::archive</name>
    <message>
        <location filename="../../core/archive/ArchiveModel.cpp" line="+26"/>
        <source>Saving archive</source>
        <translation>Сохранение архива</translation>
    </message>
    <message>
        <location line="+34"/>
        <source>member &quot;%1&quot; cannot be renamed to &quot;%2&quot;: the name of a raw picture gives its size, %3, and the new name gives %4</source>
        <translation>элемент «%1» нельзя переименовать в «%2»: имя raw-изображения задаёт его размер, %3, а новое имя задаёт %4</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>no size</source>
        <translation>никакого размера</translation>
    </message>
    <message>
        <location line="+21"/>
        <source>there is no member number %1 (the archive has %2)</source>
        <translation>нет элемента с номером %1 (в архиве их %2)</translation>
    </message>
    <message>
        <location line="+24"/>
        <source>a member named &quot;%1&quot; is already there</source>
        <translation>элемент с именем «%1» уже есть</translation>
    </message>
    <message>
        <location line="+44"/>
        <source>member &quot;%1&quot; changed size since the archive was opened</source>
        <translation>размер элемента «%1» изменился после открытия архива</translation>
    </message>
    <message>
        <location line="+125"/>
        <source>member &quot;%1&quot; is now %2, not %3: the file changed since it was opened</source>
        <translation>элемент «%1» теперь занимает %2, а не %3: файл изменился после открытия</translation>
    </message>
    <message>
        <location line="+20"/>
        <source>no member named &quot;%1&quot;</source>
        <translation>нет элемента с именем «%1»</translation>
    </message>
    <message numerus="yes">
        <location line="+3"/>
        <source>%n members are named &quot;%1&quot;; the name does not say which</source>
        <comment>%n member is named &quot;%1&quot;; the name does not say which</comment>
        <translation>
            <numerusform>%n элемент называется «%1»; имя не говорит, какой именно</numerusform>
            <numerusform>%n элемента называются «%1»; имя не говорит, какой именно</numerusform>
            <numerusform>%n элементов называются «%1»; имя не говорит, какой именно</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+31"/>
        <source>there is no place %1 (the archive has %n members)</source>
        <comment>there is no place %1 (the archive has %n members)</comment>
        <translation>
            <numerusform>нет позиции %1 (в архиве %n элемент)</numerusform>
            <numerusform>нет позиции %1 (в архиве %n элемента)</numerusform>
            <numerusform>нет позиции %1 (в архиве %n элементов)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+11"/>
        <source>the archive already holds %n members, the limit</source>
        <comment>the archive already holds %n member, the limit</comment>
        <translation>
            <numerusform>в архиве уже %n элемент — это предел</numerusform>
            <numerusform>в архиве уже %n элемента — это предел</numerusform>
            <numerusform>в архиве уже %n элементов — это предел</numerusform>
        </translation>
    </message>
    <message>
        <location line="+36"/>
        <source>member &quot;%1&quot; cannot be renamed to &quot;%2&quot;: another extension would make it another kind of file</source>
        <translation>элемент «%1» нельзя переименовать в «%2»: другое расширение сделало бы его файлом другого типа</translation>
    </message>
    <message>
        <location line="+52"/>
        <source>the file changed since it was opened; open it again</source>
        <translation>файл изменился после открытия; откройте его снова</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>another program saved over the file since it was opened; saving would undo its changes, so open it again</source>
        <translation>после открытия файл перезаписала другая программа; сохранение отменило бы её изменения, поэтому откройте файл снова</translation>
    </message>
    <message>
        <location line="+72"/>
        <source>the data is %1, more than the limit of 1 MiB for a member</source>
        <translation>данные занимают %1 — больше предела элемента в 1 МиБ</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>the name is not valid UTF-8 (byte %1 at position %2)</source>
        <translation>имя — не правильный UTF-8 (байт %1 в позиции %2)</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>the name &quot;%1&quot; holds a character Windows-1251 cannot write</source>
        <translation>в имени «%1» есть символ, которого нет в Windows-1251</translation>
    </message>
    <message>
        <location filename="../../core/archive/ConvertAll.cpp" line="+77"/>
        <source>the target folder does not exist</source>
        <translation>целевой папки нет</translation>
    </message>
    <message>
        <location line="+28"/>
        <source>its output %1 is already made from %2</source>
        <translation>его результат %1 уже получен из %2</translation>
    </message>
    <message>
        <location filename="../../core/archive/ConvMap.cpp" line="+42"/>
        <source>member name length</source>
        <translation>длина имени элемента</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>member name</source>
        <translation>имя элемента</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>picture name length</source>
        <translation>длина имени изображения</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>picture name</source>
        <translation>имя изображения</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>record %1: %2 at %3 runs past the end of the file (%4)</source>
        <translation>запись %1: %2 по смещению %3 выходит за конец файла (%4)</translation>
    </message>
    <message>
        <location line="+20"/>
        <source>image kind</source>
        <translation>вид изображения</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>record %1: image kind %2 is not one of 0 to 4</source>
        <translation>запись %1: вид изображения %2 — не от 0 до 4</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>the conversion map would be larger than its limit of 1 MiB</source>
        <translation>карта конвертации превысила бы свой предел в 1 МиБ</translation>
    </message>
    <message>
        <location line="+63"/>
        <source>the conversion map is larger than its limit of 1 MiB</source>
        <translation>карта конвертации больше своего предела в 1 МиБ</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>record count</source>
        <translation>число записей</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>the record count %1 does not fit in the file (%2)</source>
        <translation>число записей %1 не помещается в файл (%2)</translation>
    </message>
    <message>
        <location filename="../../core/archive/EzxFormat.cpp" line="+39"/>
        <source>member size</source>
        <translation>размер элемента</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>member</source>
        <translation>элемент</translation>
    </message>
    <message numerus="yes">
        <location line="+4"/>
        <source>%n entries</source>
        <comment>%n entry</comment>
        <translation>
            <numerusform>%n запись</numerusform>
            <numerusform>%n записи</numerusform>
            <numerusform>%n записей</numerusform>
        </translation>
    </message>
    <message>
        <location line="+62"/>
        <source>the header&apos;s offset field &quot;%1&quot; is not hexadecimal</source>
        <translation>поле смещения «%1» в заголовке — не шестнадцатеричное число</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>not an EZX archive: the file is too short for its header (%1)</source>
        <translation>не архив EZX: файл короче своего заголовка (%1)</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>offset field</source>
        <translation>поле смещения</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>the directory at %1 lies past the end of the file (%2)</source>
        <translation>каталог по смещению %1 лежит за концом файла (%2)</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>directory</source>
        <translation>каталог</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>the directory lists %1, more than the limit of %2</source>
        <translation>в каталоге %1 — больше предела в %2</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>the entry table at %1 (%2) runs past the end of the file (%3)</source>
        <translation>таблица записей по смещению %1 (%2) выходит за конец файла (%3)</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>entry table</source>
        <translation>таблица записей</translation>
    </message>
    <message>
        <location line="+19"/>
        <source>entry %1: the name at %2 lies past the end of the file (%3)</source>
        <translation>запись %1: имя по смещению %2 лежит за концом файла (%3)</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>entry %1: the name at %2 has no end (0x0A) within %3 bytes</source>
        <translation>запись %1: у имени по смещению %2 нет конца (0x0A) в пределах %3 байт</translation>
    </message>
    <message>
        <location line="+29"/>
        <source>names</source>
        <translation>имена</translation>
    </message>
    <message>
        <location line="+38"/>
        <source>entry %1: the member block at %2 lies past the end of the file (%3)</source>
        <translation>запись %1: блок элемента по смещению %2 лежит за концом файла (%3)</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>entry %1: the member&apos;s size (%2) is above the limit of 1 MiB</source>
        <translation>запись %1: размер элемента (%2) больше предела в 1 МиБ</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>entry %1: the member&apos;s data at %2 (%3) runs past the end of the file (%4)</source>
        <translation>запись %1: данные элемента по смещению %2 (%3) выходят за конец файла (%4)</translation>
    </message>
    <message>
        <location line="+107"/>
        <source>internal error: names and sizes differ in number</source>
        <translation>внутренняя ошибка: имён и размеров разное число</translation>
    </message>
    <message numerus="yes">
        <location line="+5"/>
        <source>%n members are more than the limit of %1</source>
        <comment>%n member is more than the limit of %1</comment>
        <translation>
            <numerusform>%n элемент — больше предела в %1</numerusform>
            <numerusform>%n элемента — больше предела в %1</numerusform>
            <numerusform>%n элементов — больше предела в %1</numerusform>
        </translation>
    </message>
    <message>
        <location line="+18"/>
        <source>member &quot;%1&quot; is %2, more than the limit of 1 MiB</source>
        <translation>элемент «%1» занимает %2 — больше предела в 1 МиБ</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>the archive would be %1, more than the limit of 2 GiB</source>
        <translation>архив занял бы %1 — больше предела в 2 ГиБ</translation>
    </message>
    <message>
        <location filename="../../core/archive/EzxFormat.h" line="+37"/>
        <source>member data</source>
        <translation>данные элемента</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>entry %1: %2</source>
        <translation>запись %1: %2</translation>
    </message>
    <message>
        <location filename="../../core/archive/FolderSearch.cpp" line="+59"/>
        <source>hidden file</source>
        <translation>скрытый файл</translation>
    </message>
    <message>
        <location filename="../../core/archive/MemberName.cpp" line="+23"/>
        <source>more than the %1 a file name may have</source>
        <translation>больше %1, допустимых для имени файла</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>a member name cannot be empty</source>
        <translation>имя элемента не может быть пустым</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>member name &quot;%1&quot; is %2 bytes, more than the limit of %3</source>
        <translation>имя элемента «%1» занимает %2 байт — больше предела в %3</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>member name &quot;%1&quot; holds a line break</source>
        <translation>в имени элемента «%1» есть перевод строки</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>member name &quot;%1&quot; holds &quot;/&quot;, &quot;\&quot; or a NUL byte</source>
        <translation>в имени элемента «%1» есть «/», «\» или байт NUL</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>member name &quot;%1&quot; names a folder</source>
        <translation>имя элемента «%1» обозначает папку</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>member name &quot;%1&quot; would be a file name of %2 bytes in UTF-8, %3</source>
        <translation>имя элемента «%1» дало бы имя файла в %2 байт UTF-8 — %3</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>member name &quot;%1&quot; %2</source>
        <translation>имя элемента «%1»: %2</translation>
    </message>
    <message>
        <location line="-11"/>
        <source>member name &quot;%1&quot; holds a control character (%2)</source>
        <translation>в имени элемента «%1» есть управляющий символ (%2)</translation>
    </message>
    <message>
        <location line="+19"/>
        <source>the file name &quot;%1&quot; is %2 bytes, %3</source>
        <translation>имя файла «%1» занимает %2 байт — %3</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>the file name &quot;%1&quot; %2</source>
        <translation>имя файла «%1»: %2</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>the name is not UTF-8 text that Windows-1251, the character set of member names, can hold</source>
        <translation>имя — не текст UTF-8, который может передать Windows-1251, кодировка имён элементов</translation>
    </message>
    <message>
        <location filename="../../core/archive/Pack.cpp" line="+42"/>
        <source>Searching for files</source>
        <translation>Поиск файлов</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Retrieving skin structure</source>
        <translation>Чтение структуры скина</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Packing icons</source>
        <translation>Упаковка значков</translation>
    </message>
    <message>
        <location line="+95"/>
        <source>JPEG pictures are not packed; convert it to BMP or PNG first</source>
        <translation>изображения JPEG не упаковываются; сначала конвертируйте его в BMP или PNG</translation>
    </message>
    <message numerus="yes">
        <location line="+10"/>
        <source>%n files to pack are more than the limit of %1</source>
        <comment>%n file to pack is more than the limit of %1</comment>
        <translation>
            <numerusform>%n файл для упаковки — больше предела в %1</numerusform>
            <numerusform>%n файла для упаковки — больше предела в %1</numerusform>
            <numerusform>%n файлов для упаковки — больше предела в %1</numerusform>
        </translation>
    </message>
    <message>
        <location line="+19"/>
        <source>a .unk file is packed only through the conversion map that names it</source>
        <translation>файл .unk упаковывается только через карту конвертации, в которой он указан</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>not a picture packing converts (.bmp, .gif or .png)</source>
        <translation>не изображение, которое упаковка конвертирует (.bmp, .gif или .png)</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>not a phone file (.k, .g or .raw)</source>
        <translation>не файл телефона (.k, .g или .raw)</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>is one of the files being packed (%1); name another archive</source>
        <translation>это один из упаковываемых файлов (%1); укажите другой архив</translation>
    </message>
    <message>
        <location line="+19"/>
        <source>the file is %1, more than the limit of 1 MiB for a member</source>
        <translation>файл занимает %1 — больше предела элемента в 1 МиБ</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>it would become member &quot;%1&quot;, as &quot;%2&quot; already does</source>
        <translation>он стал бы элементом «%1», которым уже становится «%2»</translation>
    </message>
    <message>
        <location line="+29"/>
        <source>not in the conversion map</source>
        <translation>нет в карте конвертации</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>the conversion map records it as not a phone picture</source>
        <translation>по карте конвертации это не изображение телефона</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>its phone file would be %1, more than the limit of 1 MiB for a member</source>
        <translation>его файл телефона занял бы %1 — больше предела элемента в 1 МиБ</translation>
    </message>
    <message>
        <location line="+62"/>
        <source>the file changed while the archive was being packed (%1 before, %2 now)</source>
        <translation>файл изменился во время упаковки архива (было %1, стало %2)</translation>
    </message>
    <message>
        <location filename="../../core/archive/Unpack.cpp" line="+35"/>
        <location filename="../Screenshots.cpp" line="+137"/>
        <source>Extracting icons</source>
        <translation>Извлечение значков</translation>
    </message>
    <message>
        <location filename="../../core/archive/Export.cpp" line="+89"/>
        <source>its file %1 is taken by member &quot;%2&quot;, which comes first</source>
        <translation>его файл %1 уже занят элементом «%2», который идёт раньше</translation>
    </message>
    <message>
        <location line="+4"/>
        <location filename="../../core/archive/Unpack.cpp" line="+270"/>
        <source>its file would be member &quot;%1&quot;&apos;s, since this system does not tell their names apart</source>
        <translation>его файлом был бы файл элемента «%1»: эта система не различает их имена</translation>
    </message>
    <message>
        <location line="+59"/>
        <source>out of memory</source>
        <translation>не хватает памяти</translation>
    </message>
    <message>
        <location line="+44"/>
        <source>is the archive being exported; it is not written over</source>
        <translation>это экспортируемый архив; он не перезаписывается</translation>
    </message>
    <message>
        <location line="+27"/>
        <source>the file is already there</source>
        <translation>файл уже существует</translation>
    </message>
    <message>
        <location filename="../../core/archive/Unpack.cpp" line="+120"/>
        <source>its picture %1 was replaced by the picture of %2</source>
        <translation>его изображение %1 заменено изображением элемента %2</translation>
    </message>
    <message>
        <location line="+28"/>
        <source>the picture name &quot;%1&quot; cannot be written in Windows-1251</source>
        <translation>имя изображения «%1» нельзя записать в Windows-1251</translation>
    </message>
</context>
<context>
    <name>zefir::fileio</name>
    <message>
        <location filename="../../core/archive/ArchiveModel.cpp" line="-305"/>
        <location filename="../../core/FileIo.cpp" line="-298"/>
        <source>is being changed by another process</source>
        <translation>его сейчас изменяет другой процесс</translation>
    </message>
    <message>
        <location filename="../../core/archive/FolderSearch.cpp" line="+3"/>
        <location filename="../../core/FileIoPosix.cpp" line="+26"/>
        <location filename="../../core/FileIoWindows.cpp" line="+39"/>
        <source>not a plain file</source>
        <translation>не обычный файл</translation>
    </message>
    <message>
        <location filename="../../core/FileIo.cpp" line="-149"/>
        <location line="+7"/>
        <location line="+15"/>
        <location line="+291"/>
        <source>cannot write: %1</source>
        <translation>не удаётся записать: %1</translation>
    </message>
    <message>
        <location line="-227"/>
        <source>data</source>
        <translation>данные</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>cannot replace the file: it is a symbolic link, and nothing is written through one here</source>
        <translation>не удаётся заменить файл: это символическая ссылка, а через ссылки здесь ничего не записывается</translation>
    </message>
    <message>
        <location line="+37"/>
        <location line="+63"/>
        <location line="+38"/>
        <location filename="../../core/FileIoWindows.cpp" line="+237"/>
        <source>cannot read: %1</source>
        <translation>не удаётся прочитать: %1</translation>
    </message>
    <message>
        <location line="-74"/>
        <source>cannot lock: %1</source>
        <translation>не удаётся заблокировать: %1</translation>
    </message>
    <message>
        <location line="+54"/>
        <location filename="../../core/imaging/Imaging.cpp" line="+108"/>
        <source>file is too large (%1; at most %2)</source>
        <translation>файл слишком велик (%1; не больше %2)</translation>
    </message>
    <message>
        <location line="+43"/>
        <source>names a folder, not a file</source>
        <translation>обозначает папку, а не файл</translation>
    </message>
    <message>
        <location line="+47"/>
        <location line="+28"/>
        <location line="+17"/>
        <source>cannot create: %1</source>
        <translation>не удаётся создать: %1</translation>
    </message>
    <message>
        <location line="-9"/>
        <location line="+51"/>
        <source>cannot keep the permissions: %1</source>
        <translation>не удаётся сохранить права доступа: %1</translation>
    </message>
    <message>
        <location line="-27"/>
        <source>cannot replace the file: it is a folder</source>
        <translation>не удаётся заменить файл: это папка</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>cannot replace the file: it is not a plain file (a device or a pipe)</source>
        <translation>не удаётся заменить файл: это не обычный файл (устройство или канал)</translation>
    </message>
    <message>
        <location line="+14"/>
        <location line="+26"/>
        <source>cannot replace the file: %1</source>
        <translation>не удаётся заменить файл: %1</translation>
    </message>
    <message>
        <location line="+113"/>
        <source>cannot create a scratch file: %1</source>
        <translation>не удаётся создать временный файл: %1</translation>
    </message>
    <message>
        <location line="+26"/>
        <source>cannot read a scratch file: %1</source>
        <translation>не удаётся прочитать временный файл: %1</translation>
    </message>
    <message>
        <location line="+22"/>
        <source>is not a plain file; only a file is written in place</source>
        <translation>это не обычный файл; на месте записывается только файл</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>cannot open for writing: %1</source>
        <translation>не удаётся открыть для записи: %1</translation>
    </message>
    <message>
        <location line="+36"/>
        <source>cannot create the folder: %1</source>
        <translation>не удаётся создать папку: %1</translation>
    </message>
    <message>
        <location line="+48"/>
        <source>already exists; it is not replaced unless asked to</source>
        <translation>уже существует; без запроса он не заменяется</translation>
    </message>
    <message>
        <location line="+8"/>
        <source> and %1 more</source>
        <translation> и ещё %1</translation>
    </message>
    <message numerus="yes">
        <location line="+1"/>
        <source>%n files already exist and are not replaced unless asked to: %1</source>
        <comment>%n file already exists and is not replaced unless asked to: %1</comment>
        <translation>
            <numerusform>%n файл уже существует и без запроса не заменяется: %1</numerusform>
            <numerusform>%n файла уже существуют и без запроса не заменяются: %1</numerusform>
            <numerusform>%n файлов уже существуют и без запроса не заменяются: %1</numerusform>
        </translation>
    </message>
    <message>
        <location filename="../../core/FileIo.h" line="+209"/>
        <source>cannot use the folder: it is a symbolic link, and nothing is written through one here</source>
        <translation>не удаётся использовать папку: это символическая ссылка, а через ссылки здесь ничего не записывается</translation>
    </message>
    <message>
        <location filename="../../core/FileIoPosix.cpp" line="+39"/>
        <location filename="../../core/FileIoWindows.cpp" line="-238"/>
        <source>cannot read the folder: %1</source>
        <translation>не удаётся прочитать папку: %1</translation>
    </message>
    <message>
        <location line="+29"/>
        <location line="+10"/>
        <location line="+12"/>
        <location filename="../../core/FileIoWindows.cpp" line="-4"/>
        <source>cannot open: %1</source>
        <translation>не удаётся открыть: %1</translation>
    </message>
    <message>
        <location line="+1"/>
        <location filename="../../core/FileIoWindows.cpp" line="+238"/>
        <source>it is a symbolic link now</source>
        <translation>теперь это символическая ссылка</translation>
    </message>
    <message>
        <location line="+123"/>
        <location filename="../../core/FileIoWindows.cpp" line="-236"/>
        <source>cannot follow the symbolic link: %1</source>
        <translation>не удаётся перейти по символической ссылке: %1</translation>
    </message>
    <message>
        <location line="+237"/>
        <source>is longer than the 255 bytes a file&apos;s name may have</source>
        <translation>длиннее 255 байт, допустимых для имени файла</translation>
    </message>
    <message>
        <location filename="../../core/FileIoWindows.cpp" line="+28"/>
        <source>it is open in another program</source>
        <translation>он открыт в другой программе</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>system error %1</source>
        <translation>системная ошибка %1</translation>
    </message>
    <message>
        <location line="+487"/>
        <source>cannot create a scratch file: no temporary folder</source>
        <translation>не удаётся создать временный файл: нет папки для временных файлов</translation>
    </message>
    <message>
        <location line="+87"/>
        <source>is a device&apos;s name on Windows, not a file&apos;s</source>
        <translation>в Windows это имя устройства, а не файла</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>holds a control character, which Windows does not allow in a file&apos;s name</source>
        <translation>содержит управляющий символ, недопустимый в Windows в имени файла</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>holds &quot;%1&quot;, which Windows does not allow in a file&apos;s name</source>
        <translation>содержит «%1», недопустимый в Windows в имени файла</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>ends in a dot or a space, which Windows drops from a file&apos;s name</source>
        <translation>оканчивается точкой или пробелом, которые Windows отбрасывает из имени файла</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>is longer than the 255 characters a file&apos;s name may have</source>
        <translation>длиннее 255 символов, допустимых для имени файла</translation>
    </message>
</context>
<context>
    <name>zefir::imagecodec</name>
    <message>
        <location filename="../../core/imagecodec/Convert.cpp" line="+31"/>
        <source>is the file being converted; name another target</source>
        <translation>это конвертируемый файл; укажите другой целевой файл</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>is a folder; name the file to write</source>
        <translation>это папка; укажите файл для записи</translation>
    </message>
    <message>
        <location line="+34"/>
        <source>a phone file converts to a standard picture (.gif, .png, .bmp or .jpg), not to a phone file&apos;s extension</source>
        <translation>файл телефона конвертируется в обычное изображение (.gif, .png, .bmp или .jpg), а не в расширение файла телефона</translation>
    </message>
    <message>
        <location filename="../../core/imagecodec/MotoBitmap.cpp" line="+67"/>
        <source>the Moto Bitmap header gives an empty picture (%1 x %2 pixels)</source>
        <translation>заголовок Moto Bitmap задаёт пустое изображение (%1 x %2 пикселей)</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>the Moto Bitmap header&apos;s RowBytes (%1) is smaller than %2 x Width (%3): its pixel rows would overlap</source>
        <translation>RowBytes (%1) в заголовке Moto Bitmap меньше, чем %2 x Width (%3): строки пикселей перекрывались бы</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>the Moto Bitmap&apos;s %1 takes %2, more than the limit of %3</source>
        <translation>Moto Bitmap: %1 — %2, больше предела в %3</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>the picture (%1 x %2 pixels) is too large for a Moto Bitmap: its pixel data would take %3, more than the limit of %4</source>
        <translation>изображение (%1 x %2 пикселей) слишком велико для Moto Bitmap: его пиксели заняли бы %3 — больше предела в %4</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>pixel data</source>
        <translation>пиксельные данные</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>mask</source>
        <translation>маска</translation>
    </message>
    <message>
        <location line="+23"/>
        <source>the picture is empty (%1 x %2 pixels)</source>
        <translation>изображение пустое (%1 x %2 пикселей)</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>the picture&apos;s pixels do not match its size</source>
        <translation>пиксели изображения не соответствуют его размеру</translation>
    </message>
    <message>
        <location filename="../../core/imagecodec/PhonePictures.cpp" line="+25"/>
        <source>Raw picture</source>
        <translation>Raw-изображение</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Moto Bitmap (18-bit)</source>
        <translation>Moto Bitmap (18 бит)</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Moto Bitmap (32-bit)</source>
        <translation>Moto Bitmap (32 бита)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Moto Image</source>
        <translation>Moto Image</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Unknown</source>
        <translation>Неизвестный вид</translation>
    </message>
    <message>
        <location line="+50"/>
        <source>the name carries no picture size (WxH)</source>
        <translation>в имени нет размера изображения (ШxВ)</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>the name gives no usable picture size (%1)</source>
        <translation>в имени нет пригодного размера изображения (%1)</translation>
    </message>
    <message>
        <location line="+85"/>
        <source>the file is cut short: %1, where a raw picture of %2 pixels takes %3</source>
        <translation>файл обрезан: %1, а raw-изображение %2 пикселей занимает %3</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>the file is cut short: %1, where a %2 of %3 pixels takes %4</source>
        <translation>файл обрезан: %1, а %2 размером %3 пикселей занимает %4</translation>
    </message>
    <message>
        <location line="+61"/>
        <source>target format code %1 is not one of 0 to 3</source>
        <translation>код целевого формата %1 — не от 0 до 3</translation>
    </message>
    <message>
        <location line="+116"/>
        <source>the Moto Image holds neither a GIF nor a PNG picture</source>
        <translation>в Moto Image нет ни изображения GIF, ни PNG</translation>
    </message>
    <message>
        <location filename="../../core/archive/Export.cpp" line="-112"/>
        <location filename="../../core/imagecodec/PhonePictures.cpp" line="+9"/>
        <source>not a phone picture (.k, .g or .raw)</source>
        <translation>не изображение телефона (.k, .g или .raw)</translation>
    </message>
    <message>
        <location filename="../../core/imagecodec/PhonePictures.cpp" line="+15"/>
        <source>the picture is %1, but the raw picture&apos;s name says %2</source>
        <translation>размер изображения %1, а имя raw-изображения говорит %2</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>a Moto Image holds a GIF or a PNG picture, no other format</source>
        <translation>Moto Image содержит изображение GIF или PNG, другого формата не бывает</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>no phone format to encode into</source>
        <translation>нет формата телефона для кодирования</translation>
    </message>
    <message>
        <location line="+60"/>
        <source>no phone format to convert into</source>
        <translation>нет формата телефона для конвертации</translation>
    </message>
    <message>
        <location line="+28"/>
        <source>not enough memory to decode the picture</source>
        <translation>не хватает памяти для декодирования изображения</translation>
    </message>
    <message>
        <location line="+76"/>
        <source>no phone format for kind %1</source>
        <translation>нет формата телефона для вида %1</translation>
    </message>
    <message>
        <location filename="../../core/imagecodec/PhonePictures.h" line="+42"/>
        <source>not a phone picture</source>
        <translation>не изображение телефона</translation>
    </message>
    <message>
        <location filename="../../core/imagecodec/RawPicture.cpp" line="+151"/>
        <source>the picture width in the name, %1, is larger than 2147483647</source>
        <translation>ширина изображения в имени, %1, больше 2147483647</translation>
    </message>
    <message>
        <location line="+19"/>
        <source>the picture size in the name, %1, is not positive</source>
        <translation>размер изображения в имени, %1, не положительный</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>the picture size in the name, %1, is more than the %2 pixels a raw picture can hold</source>
        <translation>размер изображения в имени, %1, больше %2 пикселей, которые вмещает raw-изображение</translation>
    </message>
    <message>
        <location line="+34"/>
        <source>the picture (%1 x %2 pixels) does not fit a raw picture: it must hold 1 to %3 pixels</source>
        <translation>изображение (%1 x %2 пикселей) не подходит для raw-изображения: в нём должно быть от 1 до %3 пикселей</translation>
    </message>
</context>
<context>
    <name>zefir::imaging</name>
    <message>
        <location filename="../../core/imaging/Bmp.cpp" line="+47"/>
        <source>BMP file header</source>
        <translation>заголовок файла BMP</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>BMP info header</source>
        <translation>информационный заголовок BMP</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>BMP colour table</source>
        <translation>таблица цветов BMP</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>BMP pixel data</source>
        <translation>пиксельные данные BMP</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>BMP RLE data</source>
        <translation>данные RLE в BMP</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>BMP colour masks</source>
        <translation>цветовые маски BMP</translation>
    </message>
    <message>
        <location line="+40"/>
        <source>BMP info header of %1 bytes is not supported</source>
        <translation>информационный заголовок BMP размером %1 байт не поддерживается</translation>
    </message>
    <message>
        <location line="+21"/>
        <source>BMP width is negative (%1)</source>
        <translation>ширина BMP отрицательная (%1)</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>BMP info header gives %1 colour planes, not 1</source>
        <translation>информационный заголовок BMP задаёт %1 цветовых плоскостей, а не 1</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>BMP of %1 bits per pixel is not supported</source>
        <translation>BMP с %1 битами на пиксель не поддерживается</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>BMP core header with %1 bits per pixel is not supported</source>
        <translation>BMP с заголовком core и %1 битами на пиксель не поддерживается</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>BMP compression %1 is not supported</source>
        <translation>сжатие BMP %1 не поддерживается</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>BMP compression %1 does not fit %2 bits per pixel</source>
        <translation>сжатие BMP %1 не подходит к %2 битам на пиксель</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>BMP pixel data at %1 overlaps the header</source>
        <translation>пиксельные данные BMP по смещению %1 перекрывают заголовок</translation>
    </message>
    <message>
        <location line="+109"/>
        <source>BMP pixel data at %1 overlaps the colour masks</source>
        <translation>пиксельные данные BMP по смещению %1 перекрывают цветовые маски</translation>
    </message>
    <message>
        <location filename="../../core/imaging/Gif.cpp" line="+161"/>
        <location filename="../../core/imaging/Jpeg.cpp" line="+73"/>
        <source>%1 holds no picture</source>
        <translation>в %1 нет изображения</translation>
    </message>
    <message>
        <location line="+65"/>
        <location filename="../../core/imaging/Jpeg.cpp" line="+37"/>
        <location filename="../../core/imaging/Png.cpp" line="+301"/>
        <source>cannot encode %1: %2</source>
        <translation>не удаётся закодировать %1: %2</translation>
    </message>
    <message>
        <location filename="../../core/imaging/Imaging.cpp" line="-82"/>
        <source>%1 x %2 pixels</source>
        <translation>%1 x %2 пикселей</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>at most %1 a side and %2 in all</source>
        <translation>не больше %1 по стороне и %2 всего</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>cannot save a picture without pixels (%1)</source>
        <translation>не удаётся сохранить изображение без пикселей (%1)</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>picture is too large to save: %1 (%2)</source>
        <translation>изображение слишком велико для сохранения: %1 (%2)</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>bitmap of %1 holds %2 pixel values</source>
        <translation>растр %1 содержит %2 значений пикселей</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>%1 picture has no pixels (%2)</source>
        <translation>в изображении %1 нет пикселей (%2)</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>%1 picture is too large: %2 (%3)</source>
        <translation>изображение %1 слишком велико: %2 (%3)</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>%1 data runs past the end of the file (%2)</source>
        <translation>данные %1 выходят за конец файла (%2)</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>%1 data is damaged: %2</source>
        <translation>данные %1 повреждены: %2</translation>
    </message>
    <message>
        <location line="+44"/>
        <source>not a PNG, GIF, BMP or JPEG picture</source>
        <translation>не изображение PNG, GIF, BMP или JPEG</translation>
    </message>
    <message>
        <location line="+25"/>
        <source>no encoder for the picture type &quot;%1&quot; (known: image/gif, image/png, image/bmp, image/jpeg)</source>
        <translation>нет кодировщика для типа изображения «%1» (известны: image/gif, image/png, image/bmp, image/jpeg)</translation>
    </message>
    <message>
        <location filename="../../core/imaging/Jpeg.cpp" line="-55"/>
        <source>cannot start the JPEG decoder: %1</source>
        <translation>не удаётся запустить декодер JPEG: %1</translation>
    </message>
    <message>
        <location line="+24"/>
        <source>CMYK JPEG pictures are not supported</source>
        <translation>изображения JPEG в CMYK не поддерживаются</translation>
    </message>
    <message>
        <location line="+20"/>
        <source>cannot start the JPEG encoder: %1</source>
        <translation>не удаётся запустить кодировщик JPEG: %1</translation>
    </message>
</context>
<context>
    <name>zefir::ui</name>
    <message>
        <location filename="../ArchiveEditorGallery.cpp" line="+428"/>
        <source>out of memory</source>
        <translation>не хватает памяти</translation>
    </message>
    <message>
        <location filename="../Windows.cpp" line="+125"/>
        <source>ROKR E2 EZX parser and compiler</source>
        <translation>Разбор и сборка EZX для ROKR E2</translation>
    </message>
    <message numerus="yes">
        <location line="+10"/>
        <source>... and %n more.</source>
        <translation>
            <numerusform>... и ещё %n.</numerusform>
            <numerusform>... и ещё %n.</numerusform>
            <numerusform>... и ещё %n.</numerusform>
        </translation>
    </message>
    <message>
        <location filename="../MainWindow.cpp" line="+179"/>
        <source>.</source>
        <comment>the full stop that ends an error message</comment>
        <translation>.</translation>
    </message>
</context>
<context>
    <name>zefir::ui::ArchiveDocument</name>
    <message>
        <location filename="../ArchiveDocument.cpp" line="+80"/>
        <source>the archive is busy; try again in a moment</source>
        <translation>архив занят; попробуйте ещё раз через мгновение</translation>
    </message>
    <message numerus="yes">
        <location line="+65"/>
        <source>Opened %1: %n members</source>
        <translation>
            <numerusform>Открыт %1: %n элемент</numerusform>
            <numerusform>Открыт %1: %n элемента</numerusform>
            <numerusform>Открыт %1: %n элементов</numerusform>
        </translation>
    </message>
    <message>
        <location line="+44"/>
        <source>Saved %1</source>
        <translation>Сохранено: %1</translation>
    </message>
    <message>
        <location line="+76"/>
        <source>Replace %1</source>
        <translation>замену %1</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1 is now %2 x %3 pixels (it was %4 x %5)</source>
        <translation>%1 теперь %2 x %3 пикселей (было %4 x %5)</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Replaced %1 with %2</source>
        <translation>%1 заменён на %2</translation>
    </message>
    <message>
        <location line="+28"/>
        <source>Add %1</source>
        <translation>добавление %1</translation>
    </message>
    <message numerus="yes">
        <location line="+1"/>
        <source>Add %n files</source>
        <translation>
            <numerusform>добавление %n файла</numerusform>
            <numerusform>добавление %n файлов</numerusform>
            <numerusform>добавление %n файлов</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+25"/>
        <source>Added %n members</source>
        <translation>
            <numerusform>Добавлен %n элемент</numerusform>
            <numerusform>Добавлено %n элемента</numerusform>
            <numerusform>Добавлено %n элементов</numerusform>
        </translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Remove %1</source>
        <translation>удаление %1</translation>
    </message>
    <message numerus="yes">
        <location line="+1"/>
        <source>Remove %n members</source>
        <translation>
            <numerusform>удаление %n элемента</numerusform>
            <numerusform>удаление %n элементов</numerusform>
            <numerusform>удаление %n элементов</numerusform>
        </translation>
    </message>
    <message>
        <location line="+51"/>
        <source>Rename %1 to %2</source>
        <translation>переименование %1 в %2</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Not renamed: %1</source>
        <translation>Не переименовано: %1</translation>
    </message>
</context>
<context>
    <name>zefir::ui::ArchiveEditor</name>
    <message>
        <location filename="../ArchiveEditor.cpp" line="+61"/>
        <source>Archive Editor</source>
        <translation>Редактор архива</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>EZX files (*.ezx)</source>
        <translation>Файлы EZX (*.ezx)</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>PNG Image (*.png)</source>
        <translation>Изображение PNG (*.png)</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>GIF Image (*.gif)</source>
        <translation>Изображение GIF (*.gif)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>BMP Image (*.bmp)</source>
        <translation>Изображение BMP (*.bmp)</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>JPEG Image (*.jpg)</source>
        <translation>Изображение JPEG (*.jpg)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Phone file, as stored (*.k *.g *.raw)</source>
        <translation>Файл телефона, как хранится (*.k *.g *.raw)</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Pictures and phone files (*.png *.gif *.bmp *.jpg *.jpeg *.k *.g *.raw)</source>
        <translation>Изображения и файлы телефона (*.png *.gif *.bmp *.jpg *.jpeg *.k *.g *.raw)</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>All files (*)</source>
        <translation>Все файлы (*)</translation>
    </message>
    <message>
        <location line="+104"/>
        <source>the archive changed while it was exported</source>
        <translation>архив изменился во время экспорта</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>the export stopped: its window was closed</source>
        <translation>экспорт остановлен: его окно закрыто</translation>
    </message>
    <message>
        <location line="+135"/>
        <source>Filter by name</source>
        <translation>Фильтр по имени</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Archive order</source>
        <translation>Порядок в архиве</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Name</source>
        <translation>Имя</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Kind</source>
        <translation>Вид</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Pixels</source>
        <translation>Пиксели</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Bytes</source>
        <translation>Байты</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Tile size (Ctrl+wheel)</source>
        <translation>Размер плиток (Ctrl+колесо)</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Filter:</source>
        <translation>Фильтр:</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Sort:</source>
        <translation>Порядок:</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Size:</source>
        <translation>Размер:</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Preview</source>
        <translation>Просмотр</translation>
    </message>
    <message>
        <location line="+104"/>
        <source>&amp;Open...</source>
        <translation>&amp;Открыть...</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>&amp;Save</source>
        <translation>&amp;Сохранить</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Save &amp;As...</source>
        <translation>Сохранить &amp;как...</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>&amp;Export...</source>
        <translation>&amp;Экспорт...</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Export A&amp;ll...</source>
        <translation>Экспорт &amp;всех...</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Close</source>
        <translation>&amp;Закрыть</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;File</source>
        <translation>&amp;Файл</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Open &amp;Recent</source>
        <translation>&amp;Недавние</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>&amp;Undo</source>
        <translation>&amp;Отменить</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>&amp;Redo</source>
        <translation>&amp;Повторить</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Re&amp;place...</source>
        <translation>&amp;Заменить...</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Add...</source>
        <translation>&amp;Добавить...</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Re&amp;move</source>
        <translation>&amp;Удалить</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Re&amp;name</source>
        <translation>Пере&amp;именовать</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>P&amp;roperties</source>
        <translation>С&amp;войства</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Edit</source>
        <translation>&amp;Правка</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>&amp;View</source>
        <translation>&amp;Вид</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Gallery</source>
        <translation>&amp;Галерея</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Details</source>
        <translation>&amp;Таблица</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Sort &amp;By</source>
        <translation>&amp;Упорядочить по</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>&amp;Larger Tiles</source>
        <translation>&amp;Крупнее плитки</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Smaller Tiles</source>
        <translation>&amp;Мельче плитки</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Tools</source>
        <translation>Инструменты</translation>
    </message>
    <message numerus="yes">
        <location line="+27"/>
        <source>%n files were dropped on %1, which takes one picture. Add them as new members instead?</source>
        <translation>
            <numerusform>%n файл брошен на %1, который принимает одно изображение. Добавить его как новый элемент?</numerusform>
            <numerusform>%n файла брошены на %1, который принимает одно изображение. Добавить их как новые элементы?</numerusform>
            <numerusform>%n файлов брошено на %1, который принимает одно изображение. Добавить их как новые элементы?</numerusform>
        </translation>
    </message>
    <message>
        <location line="+32"/>
        <source>%1 of %2 shown</source>
        <translation>Показано %1 из %2</translation>
    </message>
    <message>
        <location line="+43"/>
        <source>Name: %1
Kind: %2
</source>
        <translation>Имя: %1
Вид: %2
</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Picture: %1 x %2 pixels
</source>
        <translation>Изображение: %1 x %2 пикселей
</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Picture: cannot be shown: %1
</source>
        <translation>Изображение: не может быть показано: %1
</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Size: %L1 bytes</source>
        <translation>Размер: %L1 байт</translation>
    </message>
    <message>
        <location line="+33"/>
        <source>&amp;Clear Menu</source>
        <translation>&amp;Очистить список</translation>
    </message>
    <message>
        <location line="+57"/>
        <source>%1[*] - %2</source>
        <translation>%1[*] — %2</translation>
    </message>
    <message numerus="yes">
        <location line="+48"/>
        <source>%n members</source>
        <translation>
            <numerusform>%n элемент</numerusform>
            <numerusform>%n элемента</numerusform>
            <numerusform>%n элементов</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+4"/>
        <source>%n members selected</source>
        <translation>
            <numerusform>Выбран %n элемент</numerusform>
            <numerusform>Выбрано %n элемента</numerusform>
            <numerusform>Выбрано %n элементов</numerusform>
        </translation>
    </message>
    <message>
        <location line="+104"/>
        <source>%1 is open in this window</source>
        <translation>%1 открыт в этом окне</translation>
    </message>
    <message>
        <location line="+21"/>
        <location line="+399"/>
        <source>Open EZX file</source>
        <translation>Открыть файл EZX</translation>
    </message>
    <message>
        <location line="-388"/>
        <source>%1 has unsaved changes. Save them?</source>
        <translation>В %1 есть несохранённые изменения. Сохранить их?</translation>
    </message>
    <message>
        <location line="+29"/>
        <source>%1 was changed by another program, and its icons can no longer be read from the copy open here. Reload it?</source>
        <translation>%1 изменён другой программой, и его значки больше нельзя прочитать из открытой здесь копии. Загрузить его заново?</translation>
    </message>
    <message>
        <location line="+4"/>
        <source> Your unsaved changes will be lost.</source>
        <translation> Несохранённые изменения будут потеряны.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1 was changed by another program since it was opened. Save your version as another file, or reload it and lose your changes?</source>
        <translation>%1 изменён другой программой после открытия. Сохранить вашу версию в другой файл или загрузить его заново, потеряв изменения?</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>%1 was changed by another program. Reload it?</source>
        <translation>%1 изменён другой программой. Загрузить его заново?</translation>
    </message>
    <message>
        <location line="+24"/>
        <source>%1 would have no members: the phone would find none of its icons in it. Save it anyway?</source>
        <translation>В %1 не останется ни одного элемента: телефон не найдёт в нём ни одного своего значка. Всё равно сохранить?</translation>
    </message>
    <message>
        <location line="+63"/>
        <source>Save archive as</source>
        <translation>Сохранить архив как</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>%1 already exists. Replace it?</source>
        <translation>%1 уже существует. Заменить его?</translation>
    </message>
    <message>
        <location line="+56"/>
        <source>Replace %1 with</source>
        <translation>Заменить %1 на</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Add pictures</source>
        <translation>Добавить изображения</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>Export %1</source>
        <translation>Экспорт %1</translation>
    </message>
    <message numerus="yes">
        <location line="+1"/>
        <source>Export %n icons into a folder</source>
        <translation>
            <numerusform>Экспорт %n значка в папку</numerusform>
            <numerusform>Экспорт %n значков в папку</numerusform>
            <numerusform>Экспорт %n значков в папку</numerusform>
        </translation>
    </message>
    <message>
        <location line="+19"/>
        <source>Export every icon into</source>
        <translation>Экспортировать все значки в</translation>
    </message>
    <message>
        <location line="+24"/>
        <source>Exporting icons...</source>
        <translation>Экспорт значков...</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <location line="+55"/>
        <source>is there and is not a plain file, which is never replaced</source>
        <translation>уже существует и не является обычным файлом, а такое никогда не заменяется</translation>
    </message>
    <message numerus="yes">
        <location line="+8"/>
        <source>%n files already in %1: %2. Replace them?</source>
        <translation>
            <numerusform>%n файл уже есть в %1: %2. Заменить?</numerusform>
            <numerusform>%n файла уже есть в %1: %2. Заменить их?</numerusform>
            <numerusform>%n файлов уже есть в %1: %2. Заменить их?</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="-39"/>
        <source>Exported %n files into %1. Left out:</source>
        <translation>
            <numerusform>Экспортирован %n файл в %1. Пропущены:</numerusform>
            <numerusform>Экспортировано %n файла в %1. Пропущены:</numerusform>
            <numerusform>Экспортировано %n файлов в %1. Пропущены:</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+4"/>
        <source>Exported %n files into %1</source>
        <translation>
            <numerusform>Экспортирован %n файл в %1</numerusform>
            <numerusform>Экспортировано %n файла в %1</numerusform>
            <numerusform>Экспортировано %n файлов в %1</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>zefir::ui::GalleryModel</name>
    <message>
        <location filename="../ArchiveEditorGallery.cpp" line="-328"/>
        <source>Name</source>
        <translation>Имя</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Kind</source>
        <translation>Вид</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Pixels</source>
        <translation>Пиксели</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Bytes</source>
        <translation>Байты</translation>
    </message>
    <message>
        <location line="+87"/>
        <source>%L1 bytes</source>
        <translation>%L1 байт</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Cannot be shown: %1</source>
        <translation>Не может быть показано: %1</translation>
    </message>
    <message numerus="yes">
        <location line="+7"/>
        <source>%Ln bytes</source>
        <translation>
            <numerusform>%Ln байт</numerusform>
            <numerusform>%Ln байта</numerusform>
            <numerusform>%Ln байт</numerusform>
        </translation>
    </message>
    <message>
        <location line="+3"/>
        <source>%1, %2 x %3, %4</source>
        <translation>%1, %2 x %3, %4</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>%1, %2, cannot be shown: %3</source>
        <translation>%1, %2, нельзя показать: %3</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1, %2, no picture</source>
        <translation>%1, %2, нет изображения</translation>
    </message>
</context>
<context>
    <name>zefir::ui::Language</name>
    <message>
        <location filename="../Language.cpp" line="+131"/>
        <source>&amp;Language</source>
        <translation>&amp;Язык</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>System</source>
        <translation>Как в системе</translation>
    </message>
    <message>
        <location line="+18"/>
        <source>Language</source>
        <translation>Язык</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Zefir speaks the chosen language from its next start.</source>
        <translation>Zefir перейдёт на выбранный язык при следующем запуске.</translation>
    </message>
</context>
<context>
    <name>zefir::ui::PreviewPane</name>
    <message>
        <location filename="../ArchiveEditorGallery.cpp" line="+888"/>
        <source>Checkerboard</source>
        <translation>Шахматка</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Black</source>
        <translation>Чёрный</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>Zoom:</source>
        <translation>Масштаб:</translation>
    </message>
    <message>
        <location line="+32"/>
        <source>No picture</source>
        <translation>Нет изображения</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Loading...</source>
        <translation>Загрузка...</translation>
    </message>
</context>
<context>
    <name>zefir::ui::QtDialogs</name>
    <message>
        <location filename="../Dialogs.cpp" line="+112"/>
        <source>&amp;Reload</source>
        <translation>&amp;Загрузить заново</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Save &amp;As...</source>
        <translation>Сохранить &amp;как...</translation>
    </message>
</context>
<context>
    <name>zefir::ui::TAboutBox</name>
    <message>
        <location filename="../Windows.cpp" line="+32"/>
        <source>About</source>
        <translation>О программе</translation>
    </message>
    <message>
        <location line="+18"/>
        <source>ROKR E2 EZX file parser and compiler</source>
        <translation>Разбор и сборка EZX для ROKR E2</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Version 0.3</source>
        <translation>Версия 0.3</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Made for ROKR E2 skinners</source>
        <translation>Для авторов скинов ROKR E2</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>OK</source>
        <translation>ОК</translation>
    </message>
</context>
<context>
    <name>zefir::ui::TForm1</name>
    <message>
        <location line="+92"/>
        <source>Please wait...</source>
        <translation>Подождите...</translation>
    </message>
</context>
<context>
    <name>zefir::ui::TForm2</name>
    <message>
        <location line="+109"/>
        <source>Icon Viewer</source>
        <translation>Просмотр значка</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>Zoom</source>
        <translation>Масштаб</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Stretch</source>
        <translation>Растяжка</translation>
    </message>
</context>
<context>
    <name>zefir::ui::TOKRightDlg</name>
    <message>
        <location line="-200"/>
        <source>Settings</source>
        <translation>Настройки</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Enable conversion</source>
        <translation>Конвертировать</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Set target file format for bitmaps</source>
        <translation>Формат файлов изображений</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>GIF image (.GIF)</source>
        <translation>Изображение GIF (.GIF)</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>PNG image (.PNG)</source>
        <translation>Изображение PNG (.PNG)</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>32-bit bitmap (.BMP)</source>
        <translation>32-битный BMP (.BMP)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>JPEG image (.JPG)</source>
        <translation>Изображение JPEG (.JPG)</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>OK</source>
        <translation>ОК</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
</context>
<context>
    <name>zefir::ui::TSDIAppForm</name>
    <message>
        <location filename="../MainWindow.cpp" line="-133"/>
        <source>EZX files (*.ezx)</source>
        <translation>Файлы EZX (*.ezx)</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Moto Files (*.k *.g)</source>
        <translation>Файлы Moto (*.k *.g)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Image Files (*.bmp *.gif *.png)</source>
        <translation>Изображения (*.bmp *.gif *.png)</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>BMP Image (*.bmp)</source>
        <translation>Изображение BMP (*.bmp)</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>GIF Image (*.gif)</source>
        <translation>Изображение GIF (*.gif)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>PNG Image (*.png)</source>
        <translation>Изображение PNG (*.png)</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Moto Bitmap 18-bit (*.k)</source>
        <translation>Moto Bitmap, 18 бит (*.k)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Moto Bitmap 32-bit (*.k)</source>
        <translation>Moto Bitmap, 32 бита (*.k)</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Moto Image (*.g)</source>
        <translation>Moto Image (*.g)</translation>
    </message>
    <message>
        <location line="+50"/>
        <source>18-bit BMP</source>
        <translation>BMP 18 бит</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>32-bit BMP</source>
        <translation>BMP 32 бита</translation>
    </message>
    <message numerus="yes">
        <location line="+28"/>
        <source>; %n files left out</source>
        <translation>
            <numerusform>; %n файл пропущен</numerusform>
            <numerusform>; %n файла пропущено</numerusform>
            <numerusform>; %n файлов пропущено</numerusform>
        </translation>
    </message>
    <message>
        <location line="+104"/>
        <source>Save Picture</source>
        <translation>Сохранить</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Show preview</source>
        <translation>Просмотр</translation>
    </message>
    <message>
        <location line="+45"/>
        <source>&amp;Open EZX...</source>
        <translation>&amp;Открыть EZX...</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>&amp;Save to EZX...</source>
        <translation>&amp;Сохранить в EZX...</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>E&amp;xit</source>
        <translation>В&amp;ыход</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Edit Archive...</source>
        <translation>&amp;Редактировать архив...</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>&amp;File</source>
        <translation>&amp;Файл</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Convert &amp;image</source>
        <translation>Конвертировать &amp;изображение</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Convert &amp;all</source>
        <translation>Конвертировать &amp;все</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Converter</source>
        <translation>&amp;Конвертер</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>&amp;View</source>
        <translation>&amp;Вид</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>&amp;Settings</source>
        <translation>&amp;Настройки</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;About...</source>
        <translation>&amp;О программе...</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Help</source>
        <translation>&amp;Справка</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>&amp;New</source>
        <translation>&amp;Создать</translation>
    </message>
    <message>
        <location line="+27"/>
        <source>out of memory</source>
        <translation>не хватает памяти</translation>
    </message>
    <message>
        <location line="+18"/>
        <source>Nothing was written for %1</source>
        <translation>Для %1 ничего не записано</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Nothing was written for %1: %2</source>
        <translation>Для %1 ничего не записано: %2</translation>
    </message>
    <message numerus="yes">
        <location line="+10"/>
        <source>Packed %n members into %1</source>
        <translation>
            <numerusform>Упакован %n элемент в %1</numerusform>
            <numerusform>Упаковано %n элемента в %1</numerusform>
            <numerusform>Упаковано %n элементов в %1</numerusform>
        </translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Nothing was packed</source>
        <translation>Ничего не упаковано</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Nothing was packed: %1 holds no file to pack, so %2 was not written.</source>
        <translation>Ничего не упаковано: в %1 нет файлов для упаковки, поэтому %2 не записан.</translation>
    </message>
    <message numerus="yes">
        <location line="+4"/>
        <source>%1 holds %n members. Left out:</source>
        <translation>
            <numerusform>В %1 %n элемент. Пропущены:</numerusform>
            <numerusform>В %1 %n элемента. Пропущены:</numerusform>
            <numerusform>В %1 %n элементов. Пропущены:</numerusform>
        </translation>
    </message>
    <message>
        <location line="+61"/>
        <source>Open EZX file</source>
        <translation>Открыть файл EZX</translation>
    </message>
    <message>
        <location line="+34"/>
        <source>Select a folder to save icons</source>
        <translation>Выберите папку для значков</translation>
    </message>
    <message>
        <location line="+23"/>
        <source>Error</source>
        <translation>Ошибка</translation>
    </message>
    <message numerus="yes">
        <location line="+8"/>
        <source>Extracted %n members into %1</source>
        <translation>
            <numerusform>Извлечён %n элемент в %1</numerusform>
            <numerusform>Извлечено %n элемента в %1</numerusform>
            <numerusform>Извлечено %n элементов в %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+3"/>
        <source>; %n members not converted</source>
        <translation>
            <numerusform>; %n элемент не конвертирован</numerusform>
            <numerusform>; %n элемента не конвертировано</numerusform>
            <numerusform>; %n элементов не конвертировано</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+14"/>
        <source>%n files in %1 differ from what extraction writes (%2). Replace them?</source>
        <translation>
            <numerusform>%n файл в %1 отличается от того, что запишет извлечение (%2). Заменить его?</numerusform>
            <numerusform>%n файла в %1 отличаются от того, что запишет извлечение (%2). Заменить их?</numerusform>
            <numerusform>%n файлов в %1 отличаются от того, что запишет извлечение (%2). Заменить их?</numerusform>
        </translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Select folder and file to take icons from</source>
        <translation>Выберите папку и файл, откуда взять значки</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>Select file to save EZX</source>
        <translation>Выберите файл для сохранения EZX</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>Not Found</source>
        <translation>Не найден</translation>
    </message>
    <message>
        <location line="+60"/>
        <location line="+37"/>
        <source>Save picture as</source>
        <translation>Сохранить изображение как</translation>
    </message>
    <message>
        <location line="-22"/>
        <source>Saved %1 as %2</source>
        <translation>%1 сохранён как %2</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Open picture</source>
        <translation>Открыть изображение</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>%1 is the file being converted; choose another name for the converted picture.</source>
        <translation>%1 — это конвертируемый файл; выберите другое имя для результата.</translation>
    </message>
    <message>
        <location line="+20"/>
        <source>Converted %1 into %2</source>
        <translation>%1 конвертирован в %2</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Select source image folder</source>
        <translation>Выберите папку с исходными изображениями</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Select target image folder</source>
        <translation>Выберите папку для результатов</translation>
    </message>
    <message>
        <location line="+22"/>
        <source>%1 Replace them?</source>
        <translation>%1 Заменить их?</translation>
    </message>
    <message numerus="yes">
        <location line="+8"/>
        <source>Converted %n files from %1 into %2</source>
        <translation>
            <numerusform>Конвертирован %n файл из %1 в %2</numerusform>
            <numerusform>Конвертировано %n файла из %1 в %2</numerusform>
            <numerusform>Конвертировано %n файлов из %1 в %2</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+4"/>
        <source>Converted %n files from %1. Left out:</source>
        <translation>
            <numerusform>Конвертирован %n файл из %1. Пропущены:</numerusform>
            <numerusform>Конвертировано %n файла из %1. Пропущены:</numerusform>
            <numerusform>Конвертировано %n файлов из %1. Пропущены:</numerusform>
        </translation>
    </message>
</context>
</TS>
