; The installer of QuorvixFMD Pellwick: a per-user install that needs no
; administrator, the program and curl.exe side by side, a Start-menu
; shortcut, start at logon, an uninstaller for "Apps & features", and an
; upgrade in place that ends the running program first.
;
; Built by the build (cmake/package.cmake) with:
;   makensis -DVERSION=1.190416 -DFIXED_VERSION=1.19.416.0 -DPROGRAM=<Pellwick.exe>
;            -DCURL=<curl.exe> -DICON=<pellwick.ico> -DOUT_FILE=<PellwickSetup-1.190416.exe>
; Silent use, for IT roll-outs:
;   PellwickSetup-<version>.exe /S [/NOAUTOSTART] [/NORUN]
;   Uninstall.exe /S [/REMOVEDATA]

Unicode true
Target amd64-unicode
ManifestDPIAware true
ManifestSupportedOS all
RequestExecutionLevel user
SetCompressor /SOLID lzma

!define PRODUCT "QuorvixFMD Pellwick"
!define PUBLISHER "Tembrel Pharmaceutical Suppliers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; Where the program keeps its settings and its data (scans waiting to be
; sent, logs, downloads): the user's, kept by an uninstall unless asked.
!define SETTINGS_KEY "SOFTWARE\${PUBLISHER}\${PRODUCT}"
!define APP_FOLDER "$APPDATA\${PRODUCT}"

Name "${PRODUCT}"
Caption "${PRODUCT} ${VERSION} Setup"
UninstallCaption "${PRODUCT} Uninstall"
OutFile "${OUT_FILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PUBLISHER}"
Icon "${ICON}"
UninstallIcon "${ICON}"

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "Sections.nsh"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\Pellwick.exe"
!define MUI_FINISHPAGE_RUN_TEXT "$(RunNowText)"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!include "languages.nsh"

VIProductVersion "${FIXED_VERSION}"
VIFileVersion "${FIXED_VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright (C) 2026 ${PUBLISHER}"

; Leaves the error flag set unless the command line holds `switch`.
!macro CHECK_SWITCH switch
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "${switch}" $R1
!macroend

; The program cannot be closed through its window by an ordinary account
; (closing it hides it to the tray), so an upgrade or an uninstall ends its
; process, then waits until its files can be replaced: the program's, and
; curl.exe's, which its end takes down with it. Scans it had not sent yet
; stay in their spool files and go out with the next start.
!macro TRY_OPENING_FOR_WRITING file
    ${If} ${FileExists} "${file}"
        FileOpen $2 "${file}" a
        FileClose $2
    ${EndIf}
!macroend

; The user SID, as text, of the process whose handle is in $R9; "" into $R8
; when it cannot be read. Keeps $R2 to $R7: the caller's loop runs on them.
!macro PROCESS_USER un
Function ${un}ProcessUser
    Push $R2
    Push $R3
    Push $R4
    Push $R5
    Push $R6
    Push $R7
    StrCpy $R8 ""
    System::Call 'advapi32::OpenProcessToken(p R9, i 0x8, *p .R7) i .R6'  ; TOKEN_QUERY
    ${If} $R6 != 0
        System::Alloc 256
        Pop $R5
        System::Call 'advapi32::GetTokenInformation(p R7, i 1, p R5, i 256, *i .R4) i .R6'  ; TokenUser
        ${If} $R6 != 0
            System::Call '*$R5(p .R3)'  ; TOKEN_USER's SID
            System::Call 'advapi32::ConvertSidToStringSidW(p R3, *p .R2) i .R6'
            ${If} $R6 != 0
                System::Call 'kernel32::lstrcpynW(w .R8, p R2, i ${NSIS_MAX_STRLEN})'
                System::Call 'kernel32::LocalFree(p R2)'
            ${EndIf}
        ${EndIf}
        System::Free $R5
        System::Call 'kernel32::CloseHandle(p R7)'
    ${EndIf}
    Pop $R7
    Pop $R6
    Pop $R5
    Pop $R4
    Pop $R3
    Pop $R2
FunctionEnd
!macroend
!insertmacro PROCESS_USER ""
!insertmacro PROCESS_USER "un."

; Only the installing user's Pellwick.exe: run elevated, an end by name alone
; would end every other user's program on the machine too.
!macro END_RUNNING_PROGRAM un
Function ${un}EndRunningProgram
    DetailPrint "Ending ${PRODUCT} if it runs"
    System::Call 'kernel32::GetCurrentProcess() p .R9'
    Call ${un}ProcessUser
    StrCpy $R0 $R8
    System::Alloc 16384
    Pop $R1
    System::Call 'kernel32::K32EnumProcesses(p R1, i 16384, *i .R2) i .R6'
    ${If} $R6 == 0
    ${OrIf} $R0 == ""
        StrCpy $R2 0
    ${EndIf}
    StrCpy $R3 0
    ${DoWhile} $R3 < $R2
        IntPtrOp $R4 $R1 + $R3
        System::Call '*$R4(i .R5)'
        ; PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION
        System::Call 'kernel32::OpenProcess(i 0x1001, i 0, i R5) p .R9'
        ${If} $R9 P<> 0
            System::Call 'kernel32::QueryFullProcessImageNameW(p R9, i 0, w .R7, *i ${NSIS_MAX_STRLEN}) i .R6'
            ${GetFileName} $R7 $R7
            ${If} $R6 != 0
            ${AndIf} $R7 == "Pellwick.exe"
                Call ${un}ProcessUser
                ${If} $R8 == $R0
                    System::Call 'kernel32::TerminateProcess(p R9, i 1)'
                ${EndIf}
            ${EndIf}
            System::Call 'kernel32::CloseHandle(p R9)'
        ${EndIf}
        IntOp $R3 $R3 + 4
    ${Loop}
    System::Free $R1
    StrCpy $1 0
    ${Do}
        ClearErrors
        !insertmacro TRY_OPENING_FOR_WRITING "$INSTDIR\Pellwick.exe"
        !insertmacro TRY_OPENING_FOR_WRITING "$INSTDIR\curl.exe"
        ${IfNot} ${Errors}
        ${OrIf} $1 > 50
            ${Break}
        ${EndIf}
        IntOp $1 $1 + 1
        Sleep 200
    ${Loop}
FunctionEnd
!macroend
!insertmacro END_RUNNING_PROGRAM ""
!insertmacro END_RUNNING_PROGRAM "un."

Section "${PRODUCT}" SecProgram
    SectionIn RO
    Call EndRunningProgram
    SetOutPath "$INSTDIR"
    SetOverwrite on
    File "/oname=Pellwick.exe" "${PROGRAM}"
    File "/oname=curl.exe" "${CURL}"
    WriteUninstaller "$INSTDIR\Uninstall.exe"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Pellwick.exe" "" "$INSTDIR\Pellwick.exe" 0
    ; Written again by the next section when it is chosen.
    DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Pellwick.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
    Call WriteChosenLanguage
SectionEnd

Section "$(AutostartText)" SecAutostart
    WriteRegStr HKCU "${RUN_KEY}" "${PRODUCT}" '"$INSTDIR\Pellwick.exe"'
SectionEnd

Function .onInit
    Call PreselectChosenLanguage
    Call AskLanguage
    !insertmacro CHECK_SWITCH "/NOAUTOSTART"
    ${IfNot} ${Errors}
        !insertmacro UnselectSection ${SecAutostart}
    ${EndIf}
FunctionEnd

; A silent install starts the program as the finish page's box does, unless
; told not to: after an upgrade the counter must scan again at once.
Function .onInstSuccess
    !insertmacro CHECK_SWITCH "/NORUN"
    ${If} ${Silent}
    ${AndIf} ${Errors}
        Exec '"$INSTDIR\Pellwick.exe"'
    ${EndIf}
FunctionEnd

Section "un.${PRODUCT}" SecUnProgram
    SectionIn RO
    Call un.EndRunningProgram
    Delete "$INSTDIR\Pellwick.exe"
    Delete "$INSTDIR\curl.exe"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

Section /o "un.$(RemoveDataText)" SecUnData
    RMDir /r "${APP_FOLDER}"
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKCU "SOFTWARE\${PUBLISHER}"
SectionEnd

Function un.onInit
    !insertmacro CHECK_SWITCH "/REMOVEDATA"
    ${IfNot} ${Errors}
        !insertmacro SelectSection ${SecUnData}
    ${EndIf}
FunctionEnd
