<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en">
<context>
    <name>zefir</name>
    <message>
        <location filename="../../core/ByteReader.h" line="+82"/>
        <location filename="../../core/FileIo.cpp" line="+246"/>
        <location line="+250"/>
        <source>%1 at %2 runs past the end of the file (%3)</source>
        <translation>位于 %2 的%1超出了文件末尾（%3）</translation>
    </message>
    <message numerus="yes">
        <location filename="../../core/Error.cpp" line="+59"/>
        <source>%n bytes</source>
        <comment>%n byte</comment>
        <translation>
            <numerusform>%n 字节</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>zefir::archive</name>
    <message>
        <location filename="../../core/archive/ArchiveModel.cpp" line="+26"/>
        <source>Saving archive</source>
        <translation>正在保存图标包</translation>
    </message>
    <message>
        <location line="+34"/>
        <source>member &quot;%1&quot; cannot be renamed to &quot;%2&quot;: the name of a raw picture gives its size, %3, and the new name gives %4</source>
        <translation>成员“%1”不能重命名为“%2”：raw 图片的名称给出了它的尺寸 %3，而新名称给出的是 %4</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>no size</source>
        <translation>无尺寸</translation>
    </message>
    <message>
        <location line="+21"/>
        <source>there is no member number %1 (the archive has %2)</source>
        <translation>没有编号为 %1 的成员（图标包共有 %2 个）</translation>
    </message>
    <message>
        <location line="+24"/>
        <source>a member named &quot;%1&quot; is already there</source>
        <translation>已有名为“%1”的成员</translation>
    </message>
    <message>
        <location line="+44"/>
        <source>member &quot;%1&quot; changed size since the archive was opened</source>
        <translation>成员“%1”的大小在图标包打开后发生了变化</translation>
    </message>
    <message>
        <location line="+125"/>
        <source>member &quot;%1&quot; is now %2, not %3: the file changed since it was opened</source>
        <translation>成员“%1”现在是 %2，而不是 %3：文件在打开后被修改过</translation>
    </message>
    <message>
        <location line="+20"/>
        <source>no member named &quot;%1&quot;</source>
        <translation>没有名为“%1”的成员</translation>
    </message>
    <message numerus="yes">
        <location line="+3"/>
        <source>%n members are named &quot;%1&quot;; the name does not say which</source>
        <comment>%n member is named &quot;%1&quot;; the name does not say which</comment>
        <translation>
            <numerusform>有 %n 个成员名为“%1”，无法从名称判断是哪一个</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+31"/>
        <source>there is no place %1 (the archive has %n members)</source>
        <comment>there is no place %1 (the archive has %n members)</comment>
        <translation>
            <numerusform>没有位置 %1（图标包共有 %n 个成员）</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+11"/>
        <source>the archive already holds %n members, the limit</source>
        <comment>the archive already holds %n member, the limit</comment>
        <translation>
            <numerusform>图标包已有 %n 个成员，已达上限</numerusform>
        </translation>
    </message>
    <message>
        <location line="+36"/>
        <source>member &quot;%1&quot; cannot be renamed to &quot;%2&quot;: another extension would make it another kind of file</source>
        <translation>成员“%1”不能重命名为“%2”：换了扩展名，它就会成为另一种文件</translation>
    </message>
    <message>
        <location line="+52"/>
        <source>the file changed since it was opened; open it again</source>
        <translation>文件在打开后被修改过，请重新打开</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>another program saved over the file since it was opened; saving would undo its changes, so open it again</source>
        <translation>文件打开后已被另一个程序覆盖保存；此时保存会撤销它的修改，请重新打开</translation>
    </message>
    <message>
        <location line="+72"/>
        <source>the data is %1, more than the limit of 1 MiB for a member</source>
        <translation>数据为 %1，超过了成员 1 MiB 的上限</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>the name is not valid UTF-8 (byte %1 at position %2)</source>
        <translation>名称不是有效的 UTF-8（位置 %2 处的字节 %1）</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>the name &quot;%1&quot; holds a character Windows-1251 cannot write</source>
        <translation>名称“%1”含有 Windows-1251 无法表示的字符</translation>
    </message>
    <message>
        <location filename="../../core/archive/ConvertAll.cpp" line="+77"/>
        <source>the target folder does not exist</source>
        <translation>目标文件夹不存在</translation>
    </message>
    <message>
        <location line="+28"/>
        <source>its output %1 is already made from %2</source>
        <translation>它的输出 %1 已由 %2 生成</translation>
    </message>
    <message>
        <location filename="../../core/archive/ConvMap.cpp" line="+42"/>
        <source>member name length</source>
        <translation>成员名称长度</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>member name</source>
        <translation>成员名称</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>picture name length</source>
        <translation>图片名称长度</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>picture name</source>
        <translation>图片名称</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>record %1: %2 at %3 runs past the end of the file (%4)</source>
        <translation>记录 %1：位于 %3 的%2超出了文件末尾（%4）</translation>
    </message>
    <message>
        <location line="+20"/>
        <source>image kind</source>
        <translation>图片类型</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>record %1: image kind %2 is not one of 0 to 4</source>
        <translation>记录 %1：图片类型 %2 不在 0 到 4 之间</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>the conversion map would be larger than its limit of 1 MiB</source>
        <translation>转换映射表将超过 1 MiB 的上限</translation>
    </message>
    <message>
        <location line="+63"/>
        <source>the conversion map is larger than its limit of 1 MiB</source>
        <translation>转换映射表超过了 1 MiB 的上限</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>record count</source>
        <translation>记录数</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>the record count %1 does not fit in the file (%2)</source>
        <translation>记录数 %1 与文件大小（%2）不符</translation>
    </message>
    <message>
        <location filename="../../core/archive/EzxFormat.cpp" line="+39"/>
        <source>member size</source>
        <translation>成员大小</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>member</source>
        <translation>成员</translation>
    </message>
    <message numerus="yes">
        <location line="+4"/>
        <source>%n entries</source>
        <comment>%n entry</comment>
        <translation>
            <numerusform>%n 个条目</numerusform>
        </translation>
    </message>
    <message>
        <location line="+62"/>
        <source>the header&apos;s offset field &quot;%1&quot; is not hexadecimal</source>
        <translation>文件头的偏移字段“%1”不是十六进制数</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>not an EZX archive: the file is too short for its header (%1)</source>
        <translation>不是 EZX 图标包：文件太短，容不下文件头（%1）</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>offset field</source>
        <translation>偏移字段</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>the directory at %1 lies past the end of the file (%2)</source>
        <translation>位于 %1 的目录超出了文件末尾（%2）</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>directory</source>
        <translation>目录</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>the directory lists %1, more than the limit of %2</source>
        <translation>目录列出了 %1，超过了 %2 的上限</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>the entry table at %1 (%2) runs past the end of the file (%3)</source>
        <translation>位于 %1 的条目表（%2）超出了文件末尾（%3）</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>entry table</source>
        <translation>条目表</translation>
    </message>
    <message>
        <location line="+19"/>
        <source>entry %1: the name at %2 lies past the end of the file (%3)</source>
        <translation>条目 %1：位于 %2 的名称超出了文件末尾（%3）</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>entry %1: the name at %2 has no end (0x0A) within %3 bytes</source>
        <translation>条目 %1：位于 %2 的名称在 %3 字节内没有结束符（0x0A）</translation>
    </message>
    <message>
        <location line="+29"/>
        <source>names</source>
        <translation>名称</translation>
    </message>
    <message>
        <location line="+38"/>
        <source>entry %1: the member block at %2 lies past the end of the file (%3)</source>
        <translation>条目 %1：位于 %2 的成员块超出了文件末尾（%3）</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>entry %1: the member&apos;s size (%2) is above the limit of 1 MiB</source>
        <translation>条目 %1：成员大小（%2）超过了 1 MiB 的上限</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>entry %1: the member&apos;s data at %2 (%3) runs past the end of the file (%4)</source>
        <translation>条目 %1：位于 %2 的成员数据（%3）超出了文件末尾（%4）</translation>
    </message>
    <message>
        <location line="+107"/>
        <source>internal error: names and sizes differ in number</source>
        <translation>内部错误：名称与大小的数量不一致</translation>
    </message>
    <message numerus="yes">
        <location line="+5"/>
        <source>%n members are more than the limit of %1</source>
        <comment>%n member is more than the limit of %1</comment>
        <translation>
            <numerusform>%n 个成员超过了 %1 的上限</numerusform>
        </translation>
    </message>
    <message>
        <location line="+18"/>
        <source>member &quot;%1&quot; is %2, more than the limit of 1 MiB</source>
        <translation>成员“%1”为 %2，超过了 1 MiB 的上限</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>the archive would be %1, more than the limit of 2 GiB</source>
        <translation>图标包将达 %1，超过了 2 GiB 的上限</translation>
    </message>
    <message>
        <location filename="../../core/archive/EzxFormat.h" line="+37"/>
        <source>member data</source>
        <translation>成员数据</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>entry %1: %2</source>
        <translation>条目 %1：%2</translation>
    </message>
    <message>
        <location filename="../../core/archive/FolderSearch.cpp" line="+59"/>
        <source>hidden file</source>
        <translation>隐藏文件</translation>
    </message>
    <message>
        <location filename="../../core/archive/MemberName.cpp" line="+23"/>
        <source>more than the %1 a file name may have</source>
        <translation>超过了文件名允许的 %1</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>a member name cannot be empty</source>
        <translation>成员名称不能为空</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>member name &quot;%1&quot; is %2 bytes, more than the limit of %3</source>
        <translation>成员名称“%1”为 %2 字节，超过了 %3 的上限</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>member name &quot;%1&quot; holds a line break</source>
        <translation>成员名称“%1”含有换行符</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>member name &quot;%1&quot; holds &quot;/&quot;, &quot;\&quot; or a NUL byte</source>
        <translation>成员名称“%1”含有“/”、“\”或 NUL 字节</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>member name &quot;%1&quot; names a folder</source>
        <translation>成员名称“%1”表示的是文件夹</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>member name &quot;%1&quot; would be a file name of %2 bytes in UTF-8, %3</source>
        <translation>成员名称“%1”作为文件名将有 %2 字节（UTF-8），%3</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>member name &quot;%1&quot; %2</source>
        <translation>成员名称“%1”：%2</translation>
    </message>
    <message>
        <location line="-11"/>
        <source>member name &quot;%1&quot; holds a control character (%2)</source>
        <translation>成员名称“%1”含有控制字符（%2）</translation>
    </message>
    <message>
        <location line="+19"/>
        <source>the file name &quot;%1&quot; is %2 bytes, %3</source>
        <translation>文件名“%1”为 %2 字节，%3</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>the file name &quot;%1&quot; %2</source>
        <translation>文件名“%1”：%2</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>the name is not UTF-8 text that Windows-1251, the character set of member names, can hold</source>
        <translation>名称不是成员名称所用字符集 Windows-1251 能表示的 UTF-8 文本</translation>
    </message>
    <message>
        <location filename="../../core/archive/Pack.cpp" line="+42"/>
        <source>Searching for files</source>
        <translation>正在查找文件</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Retrieving skin structure</source>
        <translation>正在读取皮肤结构</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Packing icons</source>
        <translation>正在打包图标</translation>
    </message>
    <message>
        <location line="+95"/>
        <source>JPEG pictures are not packed; convert it to BMP or PNG first</source>
        <translation>JPEG 图片不会被打包，请先将其转换为 BMP 或 PNG</translation>
    </message>
    <message numerus="yes">
        <location line="+10"/>
        <source>%n files to pack are more than the limit of %1</source>
        <comment>%n file to pack is more than the limit of %1</comment>
        <translation>
            <numerusform>要打包的 %n 个文件超过了 %1 的上限</numerusform>
        </translation>
    </message>
    <message>
        <location line="+19"/>
        <source>a .unk file is packed only through the conversion map that names it</source>
        <translation>.unk 文件只能通过列出它的转换映射表打包</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>not a picture packing converts (.bmp, .gif or .png)</source>
        <translation>不是打包时会转换的图片（.bmp、.gif 或 .png）</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>not a phone file (.k, .g or .raw)</source>
        <translation>不是手机文件（.k、.g 或 .raw）</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>is one of the files being packed (%1); name another archive</source>
        <translation>是正在打包的文件之一（%1），请另选图标包</translation>
    </message>
    <message>
        <location line="+19"/>
        <source>the file is %1, more than the limit of 1 MiB for a member</source>
        <translation>文件为 %1，超过了成员 1 MiB 的上限</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>it would become member &quot;%1&quot;, as &quot;%2&quot; already does</source>
        <translation>它将成为成员“%1”，而“%2”已经是该成员</translation>
    </message>
    <message>
        <location line="+29"/>
        <source>not in the conversion map</source>
        <translation>不在转换映射表中</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>the conversion map records it as not a phone picture</source>
        <translation>转换映射表记录它不是手机图片</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>its phone file would be %1, more than the limit of 1 MiB for a member</source>
        <translation>它的手机文件将为 %1，超过了成员 1 MiB 的上限</translation>
    </message>
    <message>
        <location line="+62"/>
        <source>the file changed while the archive was being packed (%1 before, %2 now)</source>
        <translation>打包期间文件发生了变化（之前 %1，现在 %2）</translation>
    </message>
    <message>
        <location filename="../../core/archive/Unpack.cpp" line="+35"/>
        <location filename="../Screenshots.cpp" line="+137"/>
        <source>Extracting icons</source>
        <translation>正在提取图标</translation>
    </message>
    <message>
        <location filename="../../core/archive/Export.cpp" line="+89"/>
        <source>its file %1 is taken by member &quot;%2&quot;, which comes first</source>
        <translation>其文件 %1 已被排在前面的成员“%2”占用</translation>
    </message>
    <message>
        <location line="+4"/>
        <location filename="../../core/archive/Unpack.cpp" line="+270"/>
        <source>its file would be member &quot;%1&quot;&apos;s, since this system does not tell their names apart</source>
        <translation>它的文件将与成员“%1”的文件相同，因为此系统不区分这两个名称</translation>
    </message>
    <message>
        <location line="+59"/>
        <source>out of memory</source>
        <translation>内存不足</translation>
    </message>
    <message>
        <location line="+44"/>
        <source>is the archive being exported; it is not written over</source>
        <translation>是正在导出的归档，不会被覆盖</translation>
    </message>
    <message>
        <location line="+27"/>
        <source>the file is already there</source>
        <translation>文件已存在</translation>
    </message>
    <message>
        <location filename="../../core/archive/Unpack.cpp" line="+120"/>
        <source>its picture %1 was replaced by the picture of %2</source>
        <translation>它的图片 %1 已被 %2 的图片替换</translation>
    </message>
    <message>
        <location line="+28"/>
        <source>the picture name &quot;%1&quot; cannot be written in Windows-1251</source>
        <translation>图片名称“%1”无法用 Windows-1251 表示</translation>
    </message>
</context>
<context>
    <name>zefir::fileio</name>
    <message>
        <location filename="../../core/archive/ArchiveModel.cpp" line="-305"/>
        <location filename="../../core/FileIo.cpp" line="-298"/>
        <source>is being changed by another process</source>
        <translation>正被另一个进程修改</translation>
    </message>
    <message>
        <location filename="../../core/archive/FolderSearch.cpp" line="+3"/>
        <location filename="../../core/FileIoPosix.cpp" line="+26"/>
        <location filename="../../core/FileIoWindows.cpp" line="+39"/>
        <source>not a plain file</source>
        <translation>不是普通文件</translation>
    </message>
    <message>
        <location filename="../../core/FileIo.cpp" line="-149"/>
        <location line="+7"/>
        <location line="+15"/>
        <location line="+291"/>
        <source>cannot write: %1</source>
        <translation>无法写入：%1</translation>
    </message>
    <message>
        <location line="-227"/>
        <source>data</source>
        <translation>数据</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>cannot replace the file: it is a symbolic link, and nothing is written through one here</source>
        <translation>无法替换文件：它是符号链接，本程序不通过链接写入</translation>
    </message>
    <message>
        <location line="+37"/>
        <location line="+63"/>
        <location line="+38"/>
        <location filename="../../core/FileIoWindows.cpp" line="+237"/>
        <source>cannot read: %1</source>
        <translation>无法读取：%1</translation>
    </message>
    <message>
        <location line="-74"/>
        <source>cannot lock: %1</source>
        <translation>无法锁定：%1</translation>
    </message>
    <message>
        <location line="+54"/>
        <location filename="../../core/imaging/Imaging.cpp" line="+108"/>
        <source>file is too large (%1; at most %2)</source>
        <translation>文件太大（%1；最多 %2）</translation>
    </message>
    <message>
        <location line="+43"/>
        <source>names a folder, not a file</source>
        <translation>表示的是文件夹，不是文件</translation>
    </message>
    <message>
        <location line="+47"/>
        <location line="+28"/>
        <location line="+17"/>
        <source>cannot create: %1</source>
        <translation>无法创建：%1</translation>
    </message>
    <message>
        <location line="-9"/>
        <location line="+51"/>
        <source>cannot keep the permissions: %1</source>
        <translation>无法保留权限：%1</translation>
    </message>
    <message>
        <location line="-27"/>
        <source>cannot replace the file: it is a folder</source>
        <translation>无法替换文件：它是文件夹</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>cannot replace the file: it is not a plain file (a device or a pipe)</source>
        <translation>无法替换文件：它不是普通文件（是设备或管道）</translation>
    </message>
    <message>
        <location line="+14"/>
        <location line="+26"/>
        <source>cannot replace the file: %1</source>
        <translation>无法替换文件：%1</translation>
    </message>
    <message>
        <location line="+113"/>
        <source>cannot create a scratch file: %1</source>
        <translation>无法创建临时文件：%1</translation>
    </message>
    <message>
        <location line="+26"/>
        <source>cannot read a scratch file: %1</source>
        <translation>无法读取临时文件：%1</translation>
    </message>
    <message>
        <location line="+22"/>
        <source>is not a plain file; only a file is written in place</source>
        <translation>不是普通文件；只有文件才能原地写入</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>cannot open for writing: %1</source>
        <translation>无法打开以写入：%1</translation>
    </message>
    <message>
        <location line="+36"/>
        <source>cannot create the folder: %1</source>
        <translation>无法创建文件夹：%1</translation>
    </message>
    <message>
        <location line="+48"/>
        <source>already exists; it is not replaced unless asked to</source>
        <translation>已存在；除非要求，否则不会替换</translation>
    </message>
    <message>
        <location line="+8"/>
        <source> and %1 more</source>
        <translation> 等另外 %1 个</translation>
    </message>
    <message numerus="yes">
        <location line="+1"/>
        <source>%n files already exist and are not replaced unless asked to: %1</source>
        <comment>%n file already exists and is not replaced unless asked to: %1</comment>
        <translation>
            <numerusform>已有 %n 个文件存在；除非要求，否则不会替换：%1</numerusform>
        </translation>
    </message>
    <message>
        <location filename="../../core/FileIo.h" line="+209"/>
        <source>cannot use the folder: it is a symbolic link, and nothing is written through one here</source>
        <translation>无法使用该文件夹：它是符号链接，本程序不通过链接写入</translation>
    </message>
    <message>
        <location filename="../../core/FileIoPosix.cpp" line="+39"/>
        <location filename="../../core/FileIoWindows.cpp" line="-238"/>
        <source>cannot read the folder: %1</source>
        <translation>无法读取文件夹：%1</translation>
    </message>
    <message>
        <location line="+29"/>
        <location line="+10"/>
        <location line="+12"/>
        <location filename="../../core/FileIoWindows.cpp" line="-4"/>
        <source>cannot open: %1</source>
        <translation>无法打开：%1</translation>
    </message>
    <message>
        <location line="+1"/>
        <location filename="../../core/FileIoWindows.cpp" line="+238"/>
        <source>it is a symbolic link now</source>
        <translation>它现在是符号链接</translation>
    </message>
    <message>
        <location line="+123"/>
        <location filename="../../core/FileIoWindows.cpp" line="-236"/>
        <source>cannot follow the symbolic link: %1</source>
        <translation>无法跟随符号链接：%1</translation>
    </message>
    <message>
        <location line="+237"/>
        <source>is longer than the 255 bytes a file&apos;s name may have</source>
        <translation>超过了文件名允许的 255 字节</translation>
    </message>
    <message>
        <location filename="../../core/FileIoWindows.cpp" line="+28"/>
        <source>it is open in another program</source>
        <translation>它已在另一个程序中打开</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>system error %1</source>
        <translation>系统错误 %1</translation>
    </message>
    <message>
        <location line="+487"/>
        <source>cannot create a scratch file: no temporary folder</source>
        <translation>无法创建临时文件：没有临时文件夹</translation>
    </message>
    <message>
        <location line="+87"/>
        <source>is a device&apos;s name on Windows, not a file&apos;s</source>
        <translation>在 Windows 上是设备名，不能作为文件名</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>holds a control character, which Windows does not allow in a file&apos;s name</source>
        <translation>含有控制字符，Windows 不允许文件名中出现</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>holds &quot;%1&quot;, which Windows does not allow in a file&apos;s name</source>
        <translation>含有“%1”，Windows 不允许文件名中出现</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>ends in a dot or a space, which Windows drops from a file&apos;s name</source>
        <translation>以句点或空格结尾，Windows 会将其从文件名中去掉</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>is longer than the 255 characters a file&apos;s name may have</source>
        <translation>超过了文件名允许的 255 个字符</translation>
    </message>
</context>
<context>
    <name>zefir::imagecodec</name>
    <message>
        <location filename="../../core/imagecodec/Convert.cpp" line="+31"/>
        <source>is the file being converted; name another target</source>
        <translation>是正在转换的文件，请另选目标</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>is a folder; name the file to write</source>
        <translation>是文件夹，请指定要写入的文件</translation>
    </message>
    <message>
        <location line="+34"/>
        <source>a phone file converts to a standard picture (.gif, .png, .bmp or .jpg), not to a phone file&apos;s extension</source>
        <translation>手机文件只能转换为标准图片（.gif、.png、.bmp 或 .jpg），不能使用手机文件的扩展名</translation>
    </message>
    <message>
        <location filename="../../core/imagecodec/MotoBitmap.cpp" line="+67"/>
        <source>the Moto Bitmap header gives an empty picture (%1 x %2 pixels)</source>
        <translation>Moto Bitmap 文件头给出的是空图片（%1 x %2 像素）</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>the Moto Bitmap header&apos;s RowBytes (%1) is smaller than %2 x Width (%3): its pixel rows would overlap</source>
        <translation>Moto Bitmap 文件头的 RowBytes（%1）小于 %2 x Width（%3）：像素行会相互重叠</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>the Moto Bitmap&apos;s %1 takes %2, more than the limit of %3</source>
        <translation>Moto Bitmap 的%1占 %2，超过了 %3 的上限</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>the picture (%1 x %2 pixels) is too large for a Moto Bitmap: its pixel data would take %3, more than the limit of %4</source>
        <translation>图片（%1 x %2 像素）对 Moto Bitmap 来说太大：像素数据将占 %3，超过了 %4 的上限</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>pixel data</source>
        <translation>像素数据</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>mask</source>
        <translation>掩码</translation>
    </message>
    <message>
        <location line="+23"/>
        <source>the picture is empty (%1 x %2 pixels)</source>
        <translation>图片是空的（%1 x %2 像素）</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>the picture&apos;s pixels do not match its size</source>
        <translation>图片的像素与其尺寸不符</translation>
    </message>
    <message>
        <location filename="../../core/imagecodec/PhonePictures.cpp" line="+25"/>
        <source>Raw picture</source>
        <translation>raw 图片</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Moto Bitmap (18-bit)</source>
        <translation>Moto Bitmap（18 位）</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Moto Bitmap (32-bit)</source>
        <translation>Moto Bitmap（32 位）</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Moto Image</source>
        <translation>Moto Image</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Unknown</source>
        <translation>未知类型</translation>
    </message>
    <message>
        <location line="+50"/>
        <source>the name carries no picture size (WxH)</source>
        <translation>名称中没有图片尺寸（宽x高）</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>the name gives no usable picture size (%1)</source>
        <translation>名称中的图片尺寸不可用（%1）</translation>
    </message>
    <message>
        <location line="+85"/>
        <source>the file is cut short: %1, where a raw picture of %2 pixels takes %3</source>
        <translation>文件被截断：只有 %1，而 %2 像素的 raw 图片需要 %3</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>the file is cut short: %1, where a %2 of %3 pixels takes %4</source>
        <translation>文件被截断：只有 %1，而 %3 像素的 %2 需要 %4</translation>
    </message>
    <message>
        <location line="+61"/>
        <source>target format code %1 is not one of 0 to 3</source>
        <translation>目标格式代码 %1 不在 0 到 3 之间</translation>
    </message>
    <message>
        <location line="+116"/>
        <source>the Moto Image holds neither a GIF nor a PNG picture</source>
        <translation>该 Moto Image 中既不是 GIF 图片也不是 PNG 图片</translation>
    </message>
    <message>
        <location filename="../../core/archive/Export.cpp" line="-112"/>
        <location filename="../../core/imagecodec/PhonePictures.cpp" line="+9"/>
        <source>not a phone picture (.k, .g or .raw)</source>
        <translation>不是手机图片（.k、.g 或 .raw）</translation>
    </message>
    <message>
        <location filename="../../core/imagecodec/PhonePictures.cpp" line="+15"/>
        <source>the picture is %1, but the raw picture&apos;s name says %2</source>
        <translation>图片尺寸为 %1，但 raw 图片的名称写的是 %2</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>a Moto Image holds a GIF or a PNG picture, no other format</source>
        <translation>Moto Image 只能包含 GIF 或 PNG 图片，不能是其他格式</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>no phone format to encode into</source>
        <translation>没有可编码成的手机格式</translation>
    </message>
    <message>
        <location line="+60"/>
        <source>no phone format to convert into</source>
        <translation>没有可转换成的手机格式</translation>
    </message>
    <message>
        <location line="+28"/>
        <source>not enough memory to decode the picture</source>
        <translation>内存不足，无法解码图片</translation>
    </message>
    <message>
        <location line="+76"/>
        <source>no phone format for kind %1</source>
        <translation>类型 %1 没有对应的手机格式</translation>
    </message>
    <message>
        <location filename="../../core/imagecodec/PhonePictures.h" line="+42"/>
        <source>not a phone picture</source>
        <translation>不是手机图片</translation>
    </message>
    <message>
        <location filename="../../core/imagecodec/RawPicture.cpp" line="+151"/>
        <source>the picture width in the name, %1, is larger than 2147483647</source>
        <translation>名称中的图片宽度 %1 大于 2147483647</translation>
    </message>
    <message>
        <location line="+19"/>
        <source>the picture size in the name, %1, is not positive</source>
        <translation>名称中的图片尺寸 %1 不是正数</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>the picture size in the name, %1, is more than the %2 pixels a raw picture can hold</source>
        <translation>名称中的图片尺寸 %1 超过了 raw 图片能容纳的 %2 像素</translation>
    </message>
    <message>
        <location line="+34"/>
        <source>the picture (%1 x %2 pixels) does not fit a raw picture: it must hold 1 to %3 pixels</source>
        <translation>图片（%1 x %2 像素）不适合 raw 图片：必须有 1 到 %3 个像素</translation>
    </message>
</context>
<context>
    <name>zefir::imaging</name>
    <message>
        <location filename="../../core/imaging/Bmp.cpp" line="+47"/>
        <source>BMP file header</source>
        <translation>BMP 文件头</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>BMP info header</source>
        <translation>BMP 信息头</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>BMP colour table</source>
        <translation>BMP 颜色表</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>BMP pixel data</source>
        <translation>BMP 像素数据</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>BMP RLE data</source>
        <translation>BMP RLE 数据</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>BMP colour masks</source>
        <translation>BMP 颜色掩码</translation>
    </message>
    <message>
        <location line="+40"/>
        <source>BMP info header of %1 bytes is not supported</source>
        <translation>不支持 %1 字节的 BMP 信息头</translation>
    </message>
    <message>
        <location line="+21"/>
        <source>BMP width is negative (%1)</source>
        <translation>BMP 宽度为负数（%1）</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>BMP info header gives %1 colour planes, not 1</source>
        <translation>BMP 信息头给出 %1 个颜色平面，而不是 1 个</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>BMP of %1 bits per pixel is not supported</source>
        <translation>不支持每像素 %1 位的 BMP</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>BMP core header with %1 bits per pixel is not supported</source>
        <translation>不支持每像素 %1 位的 BMP core 文件头</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>BMP compression %1 is not supported</source>
        <translation>不支持 BMP 压缩方式 %1</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>BMP compression %1 does not fit %2 bits per pixel</source>
        <translation>BMP 压缩方式 %1 与每像素 %2 位不匹配</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>BMP pixel data at %1 overlaps the header</source>
        <translation>位于 %1 的 BMP 像素数据与文件头重叠</translation>
    </message>
    <message>
        <location line="+109"/>
        <source>BMP pixel data at %1 overlaps the colour masks</source>
        <translation>位于 %1 的 BMP 像素数据与颜色掩码重叠</translation>
    </message>
    <message>
        <location filename="../../core/imaging/Gif.cpp" line="+161"/>
        <location filename="../../core/imaging/Jpeg.cpp" line="+73"/>
        <source>%1 holds no picture</source>
        <translation>%1 中没有图片</translation>
    </message>
    <message>
        <location line="+65"/>
        <location filename="../../core/imaging/Jpeg.cpp" line="+37"/>
        <location filename="../../core/imaging/Png.cpp" line="+301"/>
        <source>cannot encode %1: %2</source>
        <translation>无法编码 %1：%2</translation>
    </message>
    <message>
        <location filename="../../core/imaging/Imaging.cpp" line="-82"/>
        <source>%1 x %2 pixels</source>
        <translation>%1 x %2 像素</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>at most %1 a side and %2 in all</source>
        <translation>每边最多 %1，总共最多 %2</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>cannot save a picture without pixels (%1)</source>
        <translation>无法保存没有像素的图片（%1）</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>picture is too large to save: %1 (%2)</source>
        <translation>图片太大，无法保存：%1（%2）</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>bitmap of %1 holds %2 pixel values</source>
        <translation>%1 的位图含有 %2 个像素值</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>%1 picture has no pixels (%2)</source>
        <translation>%1 图片没有像素（%2）</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>%1 picture is too large: %2 (%3)</source>
        <translation>%1 图片太大：%2（%3）</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>%1 data runs past the end of the file (%2)</source>
        <translation>%1 数据超出了文件末尾（%2）</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>%1 data is damaged: %2</source>
        <translation>%1 数据已损坏：%2</translation>
    </message>
    <message>
        <location line="+44"/>
        <source>not a PNG, GIF, BMP or JPEG picture</source>
        <translation>不是 PNG、GIF、BMP 或 JPEG 图片</translation>
    </message>
    <message>
        <location line="+25"/>
        <source>no encoder for the picture type &quot;%1&quot; (known: image/gif, image/png, image/bmp, image/jpeg)</source>
        <translation>没有图片类型“%1”的编码器（已知：image/gif、image/png、image/bmp、image/jpeg）</translation>
    </message>
    <message>
        <location filename="../../core/imaging/Jpeg.cpp" line="-55"/>
        <source>cannot start the JPEG decoder: %1</source>
        <translation>无法启动 JPEG 解码器：%1</translation>
    </message>
    <message>
        <location line="+24"/>
        <source>CMYK JPEG pictures are not supported</source>
        <translation>不支持 CMYK JPEG 图片</translation>
    </message>
    <message>
        <location line="+20"/>
        <source>cannot start the JPEG encoder: %1</source>
        <translation>无法启动 JPEG 编码器：%1</translation>
    </message>
</context>
<context>
    <name>zefir::ui</name>
    <message>
        <location filename="../ArchiveEditorGallery.cpp" line="+428"/>
        <source>out of memory</source>
        <translation>内存不足</translation>
    </message>
    <message>
        <location filename="../Windows.cpp" line="+125"/>
        <source>ROKR E2 EZX parser and compiler</source>
        <translation>ROKR E2 EZX 解析与编译工具</translation>
    </message>
    <message numerus="yes">
        <location line="+10"/>
        <source>... and %n more.</source>
        <translation>
            <numerusform>……另外还有 %n 项。</numerusform>
        </translation>
    </message>
    <message>
        <location filename="../MainWindow.cpp" line="+179"/>
        <source>.</source>
        <comment>the full stop that ends an error message</comment>
        <translation>。</translation>
    </message>
</context>
<context>
    <name>zefir::ui::ArchiveDocument</name>
    <message>
        <location filename="../ArchiveDocument.cpp" line="+80"/>
        <source>the archive is busy; try again in a moment</source>
        <translation>归档正忙；请稍后再试</translation>
    </message>
    <message numerus="yes">
        <location line="+65"/>
        <source>Opened %1: %n members</source>
        <translation>
            <numerusform>已打开 %1：%n 个成员</numerusform>
        </translation>
    </message>
    <message>
        <location line="+44"/>
        <source>Saved %1</source>
        <translation>已保存 %1</translation>
    </message>
    <message>
        <location line="+76"/>
        <source>Replace %1</source>
        <translation>替换 %1</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1 is now %2 x %3 pixels (it was %4 x %5)</source>
        <translation>%1 现在是 %2 x %3 像素（原为 %4 x %5）</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Replaced %1 with %2</source>
        <translation>已用 %2 替换 %1</translation>
    </message>
    <message>
        <location line="+28"/>
        <source>Add %1</source>
        <translation>添加 %1</translation>
    </message>
    <message numerus="yes">
        <location line="+1"/>
        <source>Add %n files</source>
        <translation>
            <numerusform>添加 %n 个文件</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+25"/>
        <source>Added %n members</source>
        <translation>
            <numerusform>已添加 %n 个成员</numerusform>
        </translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Remove %1</source>
        <translation>删除 %1</translation>
    </message>
    <message numerus="yes">
        <location line="+1"/>
        <source>Remove %n members</source>
        <translation>
            <numerusform>删除 %n 个成员</numerusform>
        </translation>
    </message>
    <message>
        <location line="+51"/>
        <source>Rename %1 to %2</source>
        <translation>将 %1 重命名为 %2</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Not renamed: %1</source>
        <translation>未重命名：%1</translation>
    </message>
</context>
<context>
    <name>zefir::ui::ArchiveEditor</name>
    <message>
        <location filename="../ArchiveEditor.cpp" line="+61"/>
        <source>Archive Editor</source>
        <translation>图标包编辑器</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>EZX files (*.ezx)</source>
        <translation>EZX 文件 (*.ezx)</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>PNG Image (*.png)</source>
        <translation>PNG 图片 (*.png)</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>GIF Image (*.gif)</source>
        <translation>GIF 图片 (*.gif)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>BMP Image (*.bmp)</source>
        <translation>BMP 图片 (*.bmp)</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>JPEG Image (*.jpg)</source>
        <translation>JPEG 图片 (*.jpg)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Phone file, as stored (*.k *.g *.raw)</source>
        <translation>手机文件，按原样 (*.k *.g *.raw)</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Pictures and phone files (*.png *.gif *.bmp *.jpg *.jpeg *.k *.g *.raw)</source>
        <translation>图片和手机文件 (*.png *.gif *.bmp *.jpg *.jpeg *.k *.g *.raw)</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>All files (*)</source>
        <translation>所有文件 (*)</translation>
    </message>
    <message>
        <location line="+104"/>
        <source>the archive changed while it was exported</source>
        <translation>导出期间归档已更改</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>the export stopped: its window was closed</source>
        <translation>导出已停止：其窗口已关闭</translation>
    </message>
    <message>
        <location line="+135"/>
        <source>Filter by name</source>
        <translation>按名称筛选</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Archive order</source>
        <translation>图标包中的顺序</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Name</source>
        <translation>名称</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Kind</source>
        <translation>类型</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Pixels</source>
        <translation>像素</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Bytes</source>
        <translation>字节</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Tile size (Ctrl+wheel)</source>
        <translation>图块大小（Ctrl+滚轮）</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Filter:</source>
        <translation>筛选：</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Sort:</source>
        <translation>排序：</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Size:</source>
        <translation>大小：</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Preview</source>
        <translation>预览</translation>
    </message>
    <message>
        <location line="+104"/>
        <source>&amp;Open...</source>
        <translation>打开(&amp;O)...</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>&amp;Save</source>
        <translation>保存(&amp;S)</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Save &amp;As...</source>
        <translation>另存为(&amp;A)...</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>&amp;Export...</source>
        <translation>导出(&amp;E)...</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Export A&amp;ll...</source>
        <translation>全部导出(&amp;L)...</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Close</source>
        <translation>关闭(&amp;C)</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;File</source>
        <translation>文件(&amp;F)</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Open &amp;Recent</source>
        <translation>最近打开(&amp;R)</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>&amp;Undo</source>
        <translation>撤销(&amp;U)</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>&amp;Redo</source>
        <translation>重做(&amp;R)</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Re&amp;place...</source>
        <translation>替换(&amp;P)...</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Add...</source>
        <translation>添加(&amp;A)...</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Re&amp;move</source>
        <translation>删除(&amp;M)</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Re&amp;name</source>
        <translation>重命名(&amp;N)</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>P&amp;roperties</source>
        <translation>属性(&amp;R)</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Edit</source>
        <translation>编辑(&amp;E)</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>&amp;View</source>
        <translation>查看(&amp;V)</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Gallery</source>
        <translation>图库(&amp;G)</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Details</source>
        <translation>详细信息(&amp;D)</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Sort &amp;By</source>
        <translation>排序方式(&amp;B)</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>&amp;Larger Tiles</source>
        <translation>放大图块(&amp;L)</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Smaller Tiles</source>
        <translation>缩小图块(&amp;S)</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Tools</source>
        <translation>工具</translation>
    </message>
    <message numerus="yes">
        <location line="+27"/>
        <source>%n files were dropped on %1, which takes one picture. Add them as new members instead?</source>
        <translation>
            <numerusform>%n 个文件被拖放到只接受一张图片的 %1 上。改为将它们添加为新成员吗？</numerusform>
        </translation>
    </message>
    <message>
        <location line="+32"/>
        <source>%1 of %2 shown</source>
        <translation>显示 %1 / %2</translation>
    </message>
    <message>
        <location line="+43"/>
        <source>Name: %1
Kind: %2
</source>
        <translation>名称：%1
类型：%2
</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Picture: %1 x %2 pixels
</source>
        <translation>图片：%1 x %2 像素
</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Picture: cannot be shown: %1
</source>
        <translation>图片：无法显示：%1
</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Size: %L1 bytes</source>
        <translation>大小：%L1 字节</translation>
    </message>
    <message>
        <location line="+33"/>
        <source>&amp;Clear Menu</source>
        <translation>清除列表(&amp;C)</translation>
    </message>
    <message>
        <location line="+57"/>
        <source>%1[*] - %2</source>
        <translation>%1[*] - %2</translation>
    </message>
    <message numerus="yes">
        <location line="+48"/>
        <source>%n members</source>
        <translation>
            <numerusform>%n 个成员</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+4"/>
        <source>%n members selected</source>
        <translation>
            <numerusform>已选择 %n 个成员</numerusform>
        </translation>
    </message>
    <message>
        <location line="+104"/>
        <source>%1 is open in this window</source>
        <translation>%1 已在此窗口中打开</translation>
    </message>
    <message>
        <location line="+21"/>
        <location line="+399"/>
        <source>Open EZX file</source>
        <translation>打开 EZX 文件</translation>
    </message>
    <message>
        <location line="-388"/>
        <source>%1 has unsaved changes. Save them?</source>
        <translation>%1 有未保存的修改。要保存吗？</translation>
    </message>
    <message>
        <location line="+29"/>
        <source>%1 was changed by another program, and its icons can no longer be read from the copy open here. Reload it?</source>
        <translation>%1 已被另一个程序修改，无法再从这里打开的副本读取其中的图标。要重新载入吗？</translation>
    </message>
    <message>
        <location line="+4"/>
        <source> Your unsaved changes will be lost.</source>
        <translation>未保存的修改将会丢失。</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1 was changed by another program since it was opened. Save your version as another file, or reload it and lose your changes?</source>
        <translation>%1 在打开后已被另一个程序修改。要把你的版本另存为其他文件，还是重新载入并放弃你的修改？</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>%1 was changed by another program. Reload it?</source>
        <translation>%1 已被另一个程序修改。要重新载入吗？</translation>
    </message>
    <message>
        <location line="+24"/>
        <source>%1 would have no members: the phone would find none of its icons in it. Save it anyway?</source>
        <translation>%1 将没有任何成员：手机在其中找不到任何图标。仍然保存吗？</translation>
    </message>
    <message>
        <location line="+63"/>
        <source>Save archive as</source>
        <translation>图标包另存为</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>%1 already exists. Replace it?</source>
        <translation>%1 已存在。要替换吗？</translation>
    </message>
    <message>
        <location line="+56"/>
        <source>Replace %1 with</source>
        <translation>用以下文件替换 %1</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Add pictures</source>
        <translation>添加图片</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>Export %1</source>
        <translation>导出 %1</translation>
    </message>
    <message numerus="yes">
        <location line="+1"/>
        <source>Export %n icons into a folder</source>
        <translation>
            <numerusform>将 %n 个图标导出到文件夹</numerusform>
        </translation>
    </message>
    <message>
        <location line="+19"/>
        <source>Export every icon into</source>
        <translation>将所有图标导出到</translation>
    </message>
    <message>
        <location line="+24"/>
        <source>Exporting icons...</source>
        <translation>正在导出图标...</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <location line="+55"/>
        <source>is there and is not a plain file, which is never replaced</source>
        <translation>已存在且不是普通文件，这种项目从不被替换</translation>
    </message>
    <message numerus="yes">
        <location line="+8"/>
        <source>%n files already in %1: %2. Replace them?</source>
        <translation>
            <numerusform>%1 中已有 %n 个文件：%2。要替换吗？</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="-39"/>
        <source>Exported %n files into %1. Left out:</source>
        <translation>
            <numerusform>已将 %n 个文件导出到 %1。未导出的有：</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+4"/>
        <source>Exported %n files into %1</source>
        <translation>
            <numerusform>已将 %n 个文件导出到 %1</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>zefir::ui::GalleryModel</name>
    <message>
        <location filename="../ArchiveEditorGallery.cpp" line="-328"/>
        <source>Name</source>
        <translation>名称</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Kind</source>
        <translation>类型</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Pixels</source>
        <translation>像素</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Bytes</source>
        <translation>字节</translation>
    </message>
    <message>
        <location line="+87"/>
        <source>%L1 bytes</source>
        <translation>%L1 字节</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Cannot be shown: %1</source>
        <translation>无法显示：%1</translation>
    </message>
    <message numerus="yes">
        <location line="+7"/>
        <source>%Ln bytes</source>
        <translation>
            <numerusform>%Ln 字节</numerusform>
        </translation>
    </message>
    <message>
        <location line="+3"/>
        <source>%1, %2 x %3, %4</source>
        <translation>%1，%2 x %3，%4</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>%1, %2, cannot be shown: %3</source>
        <translation>%1，%2，无法显示：%3</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1, %2, no picture</source>
        <translation>%1，%2，没有图片</translation>
    </message>
</context>
<context>
    <name>zefir::ui::Language</name>
    <message>
        <location filename="../Language.cpp" line="+131"/>
        <source>&amp;Language</source>
        <translation>语言(&amp;L)</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>System</source>
        <translation>跟随系统</translation>
    </message>
    <message>
        <location line="+18"/>
        <source>Language</source>
        <translation>语言</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Zefir speaks the chosen language from its next start.</source>
        <translation>Zefir 将在下次启动时使用所选语言。</translation>
    </message>
</context>
<context>
    <name>zefir::ui::PreviewPane</name>
    <message>
        <location filename="../ArchiveEditorGallery.cpp" line="+888"/>
        <source>Checkerboard</source>
        <translation>棋盘格</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Black</source>
        <translation>黑色</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>Zoom:</source>
        <translation>缩放：</translation>
    </message>
    <message>
        <location line="+32"/>
        <source>No picture</source>
        <translation>没有图片</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Loading...</source>
        <translation>正在载入...</translation>
    </message>
</context>
<context>
    <name>zefir::ui::QtDialogs</name>
    <message>
        <location filename="../Dialogs.cpp" line="+112"/>
        <source>&amp;Reload</source>
        <translation>重新载入(&amp;R)</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Save &amp;As...</source>
        <translation>另存为(&amp;A)...</translation>
    </message>
</context>
<context>
    <name>zefir::ui::TAboutBox</name>
    <message>
        <location filename="../Windows.cpp" line="+32"/>
        <source>About</source>
        <translation>关于</translation>
    </message>
    <message>
        <location line="+18"/>
        <source>ROKR E2 EZX file parser and compiler</source>
        <translation>ROKR E2 EZX 文件解析与编译工具</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Version 0.3</source>
        <translation>版本 0.3</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Made for ROKR E2 skinners</source>
        <translation>为 ROKR E2 皮肤作者而作</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>OK</source>
        <translation>确定</translation>
    </message>
</context>
<context>
    <name>zefir::ui::TForm1</name>
    <message>
        <location line="+92"/>
        <source>Please wait...</source>
        <translation>请稍候...</translation>
    </message>
</context>
<context>
    <name>zefir::ui::TForm2</name>
    <message>
        <location line="+109"/>
        <source>Icon Viewer</source>
        <translation>图标查看器</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>Zoom</source>
        <translation>缩放</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Stretch</source>
        <translation>拉伸</translation>
    </message>
</context>
<context>
    <name>zefir::ui::TOKRightDlg</name>
    <message>
        <location line="-200"/>
        <source>Settings</source>
        <translation>设置</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Enable conversion</source>
        <translation>启用转换</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Set target file format for bitmaps</source>
        <translation>设置位图的目标文件格式</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>GIF image (.GIF)</source>
        <translation>GIF 图片 (.GIF)</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>PNG image (.PNG)</source>
        <translation>PNG 图片 (.PNG)</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>32-bit bitmap (.BMP)</source>
        <translation>32 位位图 (.BMP)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>JPEG image (.JPG)</source>
        <translation>JPEG 图片 (.JPG)</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>zefir::ui::TSDIAppForm</name>
    <message>
        <location filename="../MainWindow.cpp" line="-133"/>
        <source>EZX files (*.ezx)</source>
        <translation>EZX 文件 (*.ezx)</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Moto Files (*.k *.g)</source>
        <translation>Moto 文件 (*.k *.g)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Image Files (*.bmp *.gif *.png)</source>
        <translation>图片文件 (*.bmp *.gif *.png)</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>BMP Image (*.bmp)</source>
        <translation>BMP 图片 (*.bmp)</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>GIF Image (*.gif)</source>
        <translation>GIF 图片 (*.gif)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>PNG Image (*.png)</source>
        <translation>PNG 图片 (*.png)</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Moto Bitmap 18-bit (*.k)</source>
        <translation>Moto Bitmap 18 位 (*.k)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Moto Bitmap 32-bit (*.k)</source>
        <translation>Moto Bitmap 32 位 (*.k)</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Moto Image (*.g)</source>
        <translation>Moto Image (*.g)</translation>
    </message>
    <message>
        <location line="+50"/>
        <source>18-bit BMP</source>
        <translation>18 位 BMP</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>32-bit BMP</source>
        <translation>32 位 BMP</translation>
    </message>
    <message numerus="yes">
        <location line="+28"/>
        <source>; %n files left out</source>
        <translation>
            <numerusform>；未处理 %n 个文件</numerusform>
        </translation>
    </message>
    <message>
        <location line="+104"/>
        <source>Save Picture</source>
        <translation>保存图片</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Show preview</source>
        <translation>显示预览</translation>
    </message>
    <message>
        <location line="+45"/>
        <source>&amp;Open EZX...</source>
        <translation>打开 EZX(&amp;O)...</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>&amp;Save to EZX...</source>
        <translation>保存为 EZX(&amp;S)...</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>E&amp;xit</source>
        <translation>退出(&amp;X)</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Edit Archive...</source>
        <translation>编辑图标包(&amp;E)...</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>&amp;File</source>
        <translation>文件(&amp;F)</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Convert &amp;image</source>
        <translation>转换图片(&amp;I)</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Convert &amp;all</source>
        <translation>全部转换(&amp;A)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Converter</source>
        <translation>转换(&amp;C)</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>&amp;View</source>
        <translation>查看(&amp;V)</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>&amp;Settings</source>
        <translation>设置(&amp;S)</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;About...</source>
        <translation>关于(&amp;A)...</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Help</source>
        <translation>帮助(&amp;H)</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>&amp;New</source>
        <translation>新建(&amp;N)</translation>
    </message>
    <message>
        <location line="+27"/>
        <source>out of memory</source>
        <translation>内存不足</translation>
    </message>
    <message>
        <location line="+18"/>
        <source>Nothing was written for %1</source>
        <translation>没有为 %1 写入任何内容</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Nothing was written for %1: %2</source>
        <translation>没有为 %1 写入任何内容：%2</translation>
    </message>
    <message numerus="yes">
        <location line="+10"/>
        <source>Packed %n members into %1</source>
        <translation>
            <numerusform>已将 %n 个成员打包到 %1</numerusform>
        </translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Nothing was packed</source>
        <translation>没有打包任何内容</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Nothing was packed: %1 holds no file to pack, so %2 was not written.</source>
        <translation>没有打包任何内容：%1 中没有可打包的文件，因此未写入 %2。</translation>
    </message>
    <message numerus="yes">
        <location line="+4"/>
        <source>%1 holds %n members. Left out:</source>
        <translation>
            <numerusform>%1 含有 %n 个成员。未打包的有：</numerusform>
        </translation>
    </message>
    <message>
        <location line="+61"/>
        <source>Open EZX file</source>
        <translation>打开 EZX 文件</translation>
    </message>
    <message>
        <location line="+34"/>
        <source>Select a folder to save icons</source>
        <translation>选择保存图标的文件夹</translation>
    </message>
    <message>
        <location line="+23"/>
        <source>Error</source>
        <translation>错误</translation>
    </message>
    <message numerus="yes">
        <location line="+8"/>
        <source>Extracted %n members into %1</source>
        <translation>
            <numerusform>已将 %n 个成员提取到 %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+3"/>
        <source>; %n members not converted</source>
        <translation>
            <numerusform>；%n 个成员未转换</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+14"/>
        <source>%n files in %1 differ from what extraction writes (%2). Replace them?</source>
        <translation>
            <numerusform>%1 中有 %n 个文件与提取将写入的内容不同（%2）。要替换吗？</numerusform>
        </translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Select folder and file to take icons from</source>
        <translation>选择要从中取图标的文件夹和文件</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>Select file to save EZX</source>
        <translation>选择保存 EZX 的文件</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>Not Found</source>
        <translation>未找到</translation>
    </message>
    <message>
        <location line="+60"/>
        <location line="+37"/>
        <source>Save picture as</source>
        <translation>图片另存为</translation>
    </message>
    <message>
        <location line="-22"/>
        <source>Saved %1 as %2</source>
        <translation>已将 %1 保存为 %2</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Open picture</source>
        <translation>打开图片</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>%1 is the file being converted; choose another name for the converted picture.</source>
        <translation>%1 是正在转换的文件，请为转换后的图片另选名称。</translation>
    </message>
    <message>
        <location line="+20"/>
        <source>Converted %1 into %2</source>
        <translation>已将 %1 转换为 %2</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Select source image folder</source>
        <translation>选择源图片文件夹</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Select target image folder</source>
        <translation>选择目标图片文件夹</translation>
    </message>
    <message>
        <location line="+22"/>
        <source>%1 Replace them?</source>
        <translation>%1 要替换吗？</translation>
    </message>
    <message numerus="yes">
        <location line="+8"/>
        <source>Converted %n files from %1 into %2</source>
        <translation>
            <numerusform>已将 %n 个文件从 %1 转换到 %2</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+4"/>
        <source>Converted %n files from %1. Left out:</source>
        <translation>
            <numerusform>已从 %1 转换 %n 个文件。未转换的有：</numerusform>
        </translation>
    </message>
</context>
</TS>
