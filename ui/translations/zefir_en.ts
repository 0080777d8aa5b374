<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>zefir</name>
    <message numerus="yes">
        <location filename="../../core/Error.cpp" line="+59"/>
        <source>%n bytes</source>
        <comment>%n byte</comment>
        <translation>
            <numerusform>%n byte</numerusform>
            <numerusform>%n bytes</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>zefir::archive</name>
    <message numerus="yes">
        <location filename="../../core/archive/ArchiveModel.cpp" line="+301"/>
        <source>%n members are named &quot;%1&quot;; the name does not say which</source>
        <comment>%n member is named &quot;%1&quot;; the name does not say which</comment>
        <translation>
            <numerusform>%n member is named &quot;%1&quot;; the name does not say which</numerusform>
            <numerusform>%n members are named &quot;%1&quot;; the name does not say which</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+31"/>
        <source>there is no place %1 (the archive has %n members)</source>
        <comment>there is no place %1 (the archive has %n members)</comment>
        <translation>
            <numerusform>there is no place %1 (the archive has %n members)</numerusform>
            <numerusform>there is no place %1 (the archive has %n members)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+11"/>
        <source>the archive already holds %n members, the limit</source>
        <comment>the archive already holds %n member, the limit</comment>
        <translation>
            <numerusform>the archive already holds %n member, the limit</numerusform>
            <numerusform>the archive already holds %n members, the limit</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location filename="../../core/archive/EzxFormat.cpp" line="+44"/>
        <source>%n entries</source>
        <comment>%n entry</comment>
        <translation>
            <numerusform>%n entry</numerusform>
            <numerusform>%n entries</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+344"/>
        <source>%n members are more than the limit of %1</source>
        <comment>%n member is more than the limit of %1</comment>
        <translation>
            <numerusform>%n member is more than the limit of %1</numerusform>
            <numerusform>%n members are more than the limit of %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location filename="../../core/archive/Pack.cpp" line="+150"/>
        <source>%n files to pack are more than the limit of %1</source>
        <comment>%n file to pack is more than the limit of %1</comment>
        <translation>
            <numerusform>%n file to pack is more than the limit of %1</numerusform>
            <numerusform>%n files to pack are more than the limit of %1</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>zefir::fileio</name>
    <message numerus="yes">
        <location filename="../../core/FileIo.cpp" line="+707"/>
        <source>%n files already exist and are not replaced unless asked to: %1</source>
        <comment>%n file already exists and is not replaced unless asked to: %1</comment>
        <translation>
            <numerusform>%n file already exists and is not replaced unless asked to: %1</numerusform>
            <numerusform>%n files already exist and are not replaced unless asked to: %1</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>zefir::ui</name>
    <message numerus="yes">
        <location filename="../Windows.cpp" line="+135"/>
        <source>... and %n more.</source>
        <translation>
            <numerusform>... and %n more.</numerusform>
            <numerusform>... and %n more.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>zefir::ui::ArchiveDocument</name>
    <message numerus="yes">
        <location filename="../ArchiveDocument.cpp" line="+145"/>
        <source>Opened %1: %n members</source>
        <translation>
            <numerusform>Opened %1: %n member</numerusform>
            <numerusform>Opened %1: %n members</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+157"/>
        <source>Add %n files</source>
        <translation>
            <numerusform>Add %n file</numerusform>
            <numerusform>Add %n files</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+25"/>
        <source>Added %n members</source>
        <translation>
            <numerusform>Added %n member</numerusform>
            <numerusform>Added %n members</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+11"/>
        <source>Remove %n members</source>
        <translation>
            <numerusform>Remove %n member</numerusform>
            <numerusform>Remove %n members</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>zefir::ui::ArchiveEditor</name>
    <message numerus="yes">
        <location filename="../ArchiveEditor.cpp" line="+588"/>
        <source>%n files were dropped on %1, which takes one picture. Add them as new members instead?</source>
        <translation>
            <numerusform>%n file was dropped on %1, which takes one picture. Add it as a new member instead?</numerusform>
            <numerusform>%n files were dropped on %1, which takes one picture. Add them as new members instead?</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+218"/>
        <source>%n members</source>
        <translation>
            <numerusform>%n member</numerusform>
            <numerusform>%n members</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+4"/>
        <source>%n members selected</source>
        <translation>
            <numerusform>%n member selected</numerusform>
            <numerusform>%n members selected</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+372"/>
        <source>Export %n icons into a folder</source>
        <translation>
            <numerusform>Export %n icon into a folder</numerusform>
            <numerusform>Export %n icons into a folder</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+106"/>
        <source>%n files already in %1: %2. Replace them?</source>
        <translation>
            <numerusform>%n file already in %1: %2. Replace it?</numerusform>
            <numerusform>%n files already in %1: %2. Replace them?</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="-39"/>
        <source>Exported %n files into %1. Left out:</source>
        <translation>
            <numerusform>Exported %n file into %1. Left out:</numerusform>
            <numerusform>Exported %n files into %1. Left out:</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+4"/>
        <source>Exported %n files into %1</source>
        <translation>
            <numerusform>Exported %n file into %1</numerusform>
            <numerusform>Exported %n files into %1</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>zefir::ui::GalleryModel</name>
    <message numerus="yes">
        <location filename="../ArchiveEditorGallery.cpp" line="+201"/>
        <source>%Ln bytes</source>
        <translation>
            <numerusform>%Ln byte</numerusform>
            <numerusform>%Ln bytes</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>zefir::ui::TSDIAppForm</name>
    <message numerus="yes">
        <location filename="../MainWindow.cpp" line="+144"/>
        <source>; %n files left out</source>
        <translation>
            <numerusform>; %n file left out</numerusform>
            <numerusform>; %n files left out</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+259"/>
        <source>Packed %n members into %1</source>
        <translation>
            <numerusform>Packed %n member into %1</numerusform>
            <numerusform>Packed %n members into %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+8"/>
        <source>%1 holds %n members. Left out:</source>
        <translation>
            <numerusform>%1 holds %n member. Left out:</numerusform>
            <numerusform>%1 holds %n members. Left out:</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+126"/>
        <source>Extracted %n members into %1</source>
        <translation>
            <numerusform>Extracted %n member into %1</numerusform>
            <numerusform>Extracted %n members into %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+3"/>
        <source>; %n members not converted</source>
        <translation>
            <numerusform>; %n member not converted</numerusform>
            <numerusform>; %n members not converted</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+14"/>
        <source>%n files in %1 differ from what extraction writes (%2). Replace them?</source>
        <translation>
            <numerusform>%n file in %1 differs from what extraction writes (%2). Replace it?</numerusform>
            <numerusform>%n files in %1 differ from what extraction writes (%2). Replace them?</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+221"/>
        <source>Converted %n files from %1 into %2</source>
        <translation>
            <numerusform>Converted %n file from %1 into %2</numerusform>
            <numerusform>Converted %n files from %1 into %2</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+4"/>
        <source>Converted %n files from %1. Left out:</source>
        <translation>
            <numerusform>Converted %n file from %1. Left out:</numerusform>
            <numerusform>Converted %n files from %1. Left out:</numerusform>
        </translation>
    </message>
</context>
</TS>
