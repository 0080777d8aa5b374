; The Zefir installer: for the current user, without administrator rights,
; or for everyone when run elevated (/CURRENTUSER keeps it to the user who
; runs it even then). makensis -DVERSION=... -DSTAGE=<folder with the programs> -DFILES=<list
; made by scripts/windows-dist> -DOUTFILE=... installer.nsi
Unicode true
; A 64-bit installer, for a 64-bit program (and for Wine without 32-bit support).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include LogicLib.nsh
!include StrFunc.nsh
!include WinMessages.nsh
!include FileFunc.nsh
${StrStr}
${UnStrRep}

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zefir"
!define CLASSES "Software\Classes"
!define PROGID "Zefir.Archive"
!define SYSTEM_ENVIRONMENT "SYSTEM\CurrentControlSet\Control\Session Manager\Environment"
; What the installer did is kept with its uninstall entry, not under
; Software\zefir, where the program's own settings are.

Name "Zefir ${VERSION}"
OutFile "${OUTFILE}"
; Chosen in .onInit, where it is known for whom Zefir is installed; /D=
; sets it before.
InstallDir ""
Icon "${ICON}"
UninstallIcon "${ICON}"
ShowInstDetails show
ShowUninstDetails show

; The thumbnail handler's classes, as plugins/windows-thumbnail names them,
; and the shell's thumbnail provider interface, under which an extension
; names its handler.
!define THUMBNAILS_K "{12E96473-7950-4483-B6E8-EA4D47DCF116}"
!define THUMBNAILS_G "{EE31C765-BDC9-418B-94F4-C402C087CE7D}"
!define THUMBNAILS_RAW "{D1207432-1B16-460F-A819-942C25669999}"
!define THUMBNAIL_PROVIDER "{e357fccd-a995-4576-b01f-234630154e96}"
!macro ThumbnailClass CLSID EXTENSION NAME
    WriteRegStr SHCTX "${CLASSES}\CLSID\${CLSID}" "" "Zefir thumbnails of ${NAME}"
    WriteRegStr SHCTX "${CLASSES}\CLSID\${CLSID}\InprocServer32" "" "$INSTDIR\zefir-thumbnails.dll"
    WriteRegStr SHCTX "${CLASSES}\CLSID\${CLSID}\InprocServer32" "ThreadingModel" "Apartment"
    WriteRegStr SHCTX "${CLASSES}\${EXTENSION}\ShellEx\${THUMBNAIL_PROVIDER}" "" "${CLSID}"
!macroend
!macro RegisterThumbnails
    !insertmacro ThumbnailClass "${THUMBNAILS_K}" ".k" "Moto Bitmaps"
    !insertmacro ThumbnailClass "${THUMBNAILS_G}" ".g" "Moto Images"
    !insertmacro ThumbnailClass "${THUMBNAILS_RAW}" ".raw" "raw pictures"
!macroend
; An extension's thumbnail entry goes only while it is still Zefir's.
!macro NoThumbnailClass CLSID EXTENSION
    ReadRegStr $1 SHCTX "${CLASSES}\${EXTENSION}\ShellEx\${THUMBNAIL_PROVIDER}" ""
    ${If} $1 == "${CLSID}"
        DeleteRegKey SHCTX "${CLASSES}\${EXTENSION}\ShellEx\${THUMBNAIL_PROVIDER}"
        DeleteRegKey /ifempty SHCTX "${CLASSES}\${EXTENSION}\ShellEx"
        DeleteRegKey /ifempty SHCTX "${CLASSES}\${EXTENSION}"
    ${EndIf}
    DeleteRegKey SHCTX "${CLASSES}\CLSID\${CLSID}"
!macroend
!macro UnregisterThumbnails
    !insertmacro NoThumbnailClass "${THUMBNAILS_K}" ".k"
    !insertmacro NoThumbnailClass "${THUMBNAILS_G}" ".g"
    !insertmacro NoThumbnailClass "${THUMBNAILS_RAW}" ".raw"
!macroend

; 1 when installed for every user of the machine: the files under Program
; Files, the registry entries under HKLM (SHCTX follows SetShellVarContext)
; and the folder in the system's PATH.
Var AllUsers

Function ChooseInstallMode
    StrCpy $AllUsers 0
    UserInfo::GetAccountType
    Pop $0
    ${GetParameters} $1
    ClearErrors
    ${GetOptions} $1 "/CURRENTUSER" $2
    ${If} $0 == "Admin"
    ${AndIf} ${Errors}
        StrCpy $AllUsers 1
        SetShellVarContext all
    ${Else}
        SetShellVarContext current
    ${EndIf}
FunctionEnd

Function .onInit
    Call ChooseInstallMode
    ${If} $INSTDIR == ""
        ReadRegStr $INSTDIR SHCTX "${UNINSTALL_KEY}" "InstallLocation"
    ${EndIf}
    ${If} $INSTDIR == ""
    ${AndIf} $AllUsers == 1
        StrCpy $INSTDIR "$PROGRAMFILES64\Zefir"
    ${ElseIf} $INSTDIR == ""
        StrCpy $INSTDIR "$LOCALAPPDATA\Programs\Zefir"
    ${EndIf}
FunctionEnd

; The uninstaller removes an installation for everyone only when run
; elevated: it is the one whose folder the machine's uninstall entry names.
Function un.onInit
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == $INSTDIR
        UserInfo::GetAccountType
        Pop $1
        ${If} $1 != "Admin"
            MessageBox MB_ICONSTOP "Zefir is installed for every user of this computer. Run its uninstaller as an administrator to remove it."
            Abort
        ${EndIf}
        StrCpy $AllUsers 1
        SetShellVarContext all
    ${Else}
        StrCpy $AllUsers 0
        SetShellVarContext current
    ${EndIf}
FunctionEnd

; The PATH of the user or of the machine, as the mode says, in $0.
!macro PathFunctions un
Function ${un}ReadPath
    ${If} $AllUsers == 1
        ReadRegStr $0 HKLM "${SYSTEM_ENVIRONMENT}" "Path"
    ${Else}
        ReadRegStr $0 HKCU "Environment" "Path"
    ${EndIf}
FunctionEnd

Function ${un}WritePath
    ${If} $AllUsers == 1
        WriteRegExpandStr HKLM "${SYSTEM_ENVIRONMENT}" "Path" "$0"
    ${ElseIf} $0 == ""
        DeleteRegValue HKCU "Environment" "Path"
    ${Else}
        WriteRegExpandStr HKCU "Environment" "Path" "$0"
    ${EndIf}
    SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=2000
FunctionEnd
!macroend
!insertmacro PathFunctions ""
!insertmacro PathFunctions "un."

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
    WriteRegStr SHCTX "${CLASSES}\${PROGID}" "" "Phone icon archive"
    WriteRegStr SHCTX "${CLASSES}\${PROGID}\DefaultIcon" "" '"$INSTDIR\zefir.exe",0'
    WriteRegStr SHCTX "${CLASSES}\${PROGID}\shell\open" "" "Open with Zefir"
    WriteRegStr SHCTX "${CLASSES}\${PROGID}\shell\open\command" "" \
        '"$INSTDIR\zefir.exe" --edit "%1"'
    WriteRegStr SHCTX "${CLASSES}\.ezx\OpenWithProgids" "${PROGID}" ""
    ReadRegStr $0 SHCTX "${CLASSES}\.ezx" ""
    ${If} $0 == ""
        WriteRegStr SHCTX "${CLASSES}\.ezx" "" "${PROGID}"
        WriteRegStr SHCTX "${UNINSTALL_KEY}" "OwnsExtension" "1"
    ${EndIf}
    WriteRegStr SHCTX "${CLASSES}\Applications\zefir.exe" "FriendlyAppName" "Zefir"
    WriteRegStr SHCTX "${CLASSES}\Applications\zefir.exe\shell\open\command" "" \
        '"$INSTDIR\zefir.exe" --edit "%1"'
    ; Thumbnails of phone pictures in Explorer: a handler class per kind,
    ; each the thumbnail provider of its extension.
    !insertmacro RegisterThumbnails

    ; SHCNE_ASSOCCHANGED: Explorer shows the new icon at once.
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

    ; zefir-cli from any console: the folder joins the PATH, once.
    Call ReadPath
    ${StrStr} $1 ";$0;" ";$INSTDIR;"
    ${If} $1 == ""
        ${If} $0 == ""
            StrCpy $0 "$INSTDIR"
        ${Else}
            StrCpy $0 "$0;$INSTDIR"
        ${EndIf}
        Call WritePath
        WriteRegStr SHCTX "${UNINSTALL_KEY}" "AddedToPath" "1"
    ${EndIf}

    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "Zefir"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\zefir.exe",0'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes what the installer put there and nothing else: each file by name,
; the folders only when empty, the PATH entry only if it was added. The
; program's settings (HKCU\Software\zefir) are the user's and stay.
Section "Uninstall"
    !include "${FILES}.uninstall.nsh"
    ; Explorer may hold the thumbnail handler loaded: it goes at the next
    ; start of Windows then, and its folder with it.
    Delete /REBOOTOK "$INSTDIR\zefir-thumbnails.dll"
    Delete "$INSTDIR\uninstall.exe"
    RMDir /REBOOTOK "$INSTDIR"

    Delete "$SMPROGRAMS\Zefir.lnk"
    Delete "$SMPROGRAMS\Zefir Archive Editor.lnk"

    ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "OwnsExtension"
    ${If} $0 == "1"
        ReadRegStr $1 SHCTX "${CLASSES}\.ezx" ""
        ${If} $1 == "${PROGID}"
            DeleteRegValue SHCTX "${CLASSES}\.ezx" ""
        ${EndIf}
    ${EndIf}
    DeleteRegValue SHCTX "${CLASSES}\.ezx\OpenWithProgids" "${PROGID}"
    DeleteRegKey /ifempty SHCTX "${CLASSES}\.ezx\OpenWithProgids"
    DeleteRegKey /ifempty SHCTX "${CLASSES}\.ezx"
    DeleteRegKey SHCTX "${CLASSES}\${PROGID}"
    DeleteRegKey SHCTX "${CLASSES}\Applications\zefir.exe"
    !insertmacro UnregisterThumbnails
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

    ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "AddedToPath"
    ${If} $0 == "1"
        Call un.ReadPath
        ${UnStrRep} $0 ";$0;" ";$INSTDIR;" ";"
        ; Without the semicolons put around it above.
        StrCpy $0 $0 "" 1
        StrCpy $0 $0 -1
        Call un.WritePath
    ${EndIf}

    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
