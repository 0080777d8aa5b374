; The Zefir installer: for the current user, without administrator rights.
; makensis -DVERSION=... -DSTAGE=<folder with the programs> -DFILES=<list
; made by scripts/windows-dist> -DOUTFILE=... installer.nsi
Unicode true
; A 64-bit installer, for a 64-bit program (and for Wine without 32-bit support).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include LogicLib.nsh
!include StrFunc.nsh
!include WinMessages.nsh
${StrStr}
${UnStrRep}

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zefir"
!define CLASSES "Software\Classes"
!define PROGID "Zefir.Archive"
; What the installer did is kept with its uninstall entry, not under
; Software\zefir, where the program's own settings are.

Name "Zefir ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Zefir"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
Icon "${ICON}"
UninstallIcon "${ICON}"
ShowInstDetails show
ShowUninstDetails show

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Zefir"
    SetOutPath "$INSTDIR"
    !include "${FILES}.install.nsh"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateShortcut "$SMPROGRAMS\Zefir.lnk" "$INSTDIR\zefir.exe" "" "$INSTDIR\zefir.exe" 0
    CreateShortcut "$SMPROGRAMS\Zefir Archive Editor.lnk" "$INSTDIR\zefir.exe" "--edit" \
        "$INSTDIR\zefir.exe" 0

    ; .ezx files: "Open with Zefir" in the Archive Editor, with the program's
    ; icon. The extension is made Zefir's only where no other program has it.
    WriteRegStr HKCU "${CLASSES}\${PROGID}" "" "Phone icon archive"
    WriteRegStr HKCU "${CLASSES}\${PROGID}\DefaultIcon" "" '"$INSTDIR\zefir.exe",0'
    WriteRegStr HKCU "${CLASSES}\${PROGID}\shell\open" "" "Open with Zefir"
    WriteRegStr HKCU "${CLASSES}\${PROGID}\shell\open\command" "" \
        '"$INSTDIR\zefir.exe" --edit "%1"'
    WriteRegStr HKCU "${CLASSES}\.ezx\OpenWithProgids" "${PROGID}" ""
    ReadRegStr $0 HKCU "${CLASSES}\.ezx" ""
    ${If} $0 == ""
        WriteRegStr HKCU "${CLASSES}\.ezx" "" "${PROGID}"
        WriteRegStr HKCU "${UNINSTALL_KEY}" "OwnsExtension" "1"
    ${EndIf}
    WriteRegStr HKCU "${CLASSES}\Applications\zefir.exe" "FriendlyAppName" "Zefir"
    WriteRegStr HKCU "${CLASSES}\Applications\zefir.exe\shell\open\command" "" \
        '"$INSTDIR\zefir.exe" --edit "%1"'
    ; SHCNE_ASSOCCHANGED: Explorer shows the new icon at once.
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

    ; zefir-cli from any console: the folder joins the user's PATH, once.
    ReadRegStr $0 HKCU "Environment" "Path"
    ${StrStr} $1 ";$0;" ";$INSTDIR;"
    ${If} $1 == ""
        ${If} $0 == ""
            WriteRegExpandStr HKCU "Environment" "Path" "$INSTDIR"
        ${Else}
            WriteRegExpandStr HKCU "Environment" "Path" "$0;$INSTDIR"
        ${EndIf}
        WriteRegStr HKCU "${UNINSTALL_KEY}" "AddedToPath" "1"
        SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=2000
    ${EndIf}

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Zefir"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\zefir.exe",0'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes what the installer put there and nothing else: each file by name,
; the folders only when empty, the PATH entry only if it was added. The
; program's settings (HKCU\Software\zefir) are the user's and stay.
Section "Uninstall"
    !include "${FILES}.uninstall.nsh"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"

    Delete "$SMPROGRAMS\Zefir.lnk"
    Delete "$SMPROGRAMS\Zefir Archive Editor.lnk"

    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "OwnsExtension"
    ${If} $0 == "1"
        ReadRegStr $1 HKCU "${CLASSES}\.ezx" ""
        ${If} $1 == "${PROGID}"
            DeleteRegValue HKCU "${CLASSES}\.ezx" ""
        ${EndIf}
    ${EndIf}
    DeleteRegValue HKCU "${CLASSES}\.ezx\OpenWithProgids" "${PROGID}"
    DeleteRegKey /ifempty HKCU "${CLASSES}\.ezx\OpenWithProgids"
    DeleteRegKey /ifempty HKCU "${CLASSES}\.ezx"
    DeleteRegKey HKCU "${CLASSES}\${PROGID}"
    DeleteRegKey HKCU "${CLASSES}\Applications\zefir.exe"
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "AddedToPath"
    ${If} $0 == "1"
        ReadRegStr $1 HKCU "Environment" "Path"
        ${UnStrRep} $2 ";$1;" ";$INSTDIR;" ";"
        ; Without the semicolons put around it above.
        StrCpy $2 $2 "" 1
        StrCpy $2 $2 -1
        ${If} $2 == ""
            DeleteRegValue HKCU "Environment" "Path"
        ${Else}
            WriteRegExpandStr HKCU "Environment" "Path" "$2"
        ${EndIf}
        SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=2000
    ${EndIf}

    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
