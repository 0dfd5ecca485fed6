; Voxtelo's installer. It installs per user into a folder the user can write, because the phone
; book (Bookmark.ini) and the call log (Calls.txt) live beside the program; an update never
; replaces them, and the uninstaller keeps them unless the user asks. Built by installer/dist.sh, which defines
; TARGET (amd64-unicode or x86-unicode, as the program), VERSION, STAGE (the files to ship),
; ICON, WIZARD (the finish page's picture) and OUTFILE.
;
; Command line, besides NSIS's /S and /D=folder:
;   setup:     /NOAUTOSTART       leave "Start Voxtelo when I sign in" unselected
;              /TELLINKS          select "Open tel: and callto: links with Voxtelo"
;   uninstall: /REMOVEPHONEBOOK   remove Bookmark.ini and Calls.txt too

Unicode true
Target ${TARGET}
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include Sections.nsh
!include WinMessages.nsh

!define PRODUCT "Voxtelo"
!define EXE "voxtelo.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define PHONE_CLASS "#32770"
!define LINK_COMMAND '"$INSTDIR\${EXE}" "%1"'

; A link scheme handed to the phone, per user.
!macro WRITE_LINK_SCHEME scheme
    WriteRegStr HKCU "Software\Classes\${scheme}" "" "URL:${scheme} link"
    WriteRegStr HKCU "Software\Classes\${scheme}" "URL Protocol" ""
    WriteRegStr HKCU "Software\Classes\${scheme}\DefaultIcon" "" '"$INSTDIR\${EXE}",0'
    WriteRegStr HKCU "Software\Classes\${scheme}\shell\open\command" "" '${LINK_COMMAND}'
!macroend

; Only a scheme that still opens this phone goes: another program may have taken it since.
!macro REMOVE_LINK_SCHEME scheme
    ReadRegStr $R5 HKCU "Software\Classes\${scheme}\shell\open\command" ""
    ${If} $R5 == '${LINK_COMMAND}'
        DeleteRegKey HKCU "Software\Classes\${scheme}"
    ${EndIf}
!macroend

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PRODUCT}"
VIAddVersionKey "FileDescription" "${PRODUCT} desk phone setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" ""

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${WIZARD}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "${PRODUCT} runs hidden and comes forward when you press the \
    notebook's phone key."
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT} now"
!define MUI_FINISHPAGE_RUN_FUNCTION StartPhone
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

Var PhoneWasRunning

; The phone holds its program file open and may have a call up: ask it to close the way the
; user would (WM_CLOSE ends its calls and closes the modem line), and wait for the process to
; end. A phone that does not end within 10 s is left alone; copying then reports the file.
!macro DEFINE_CLOSE_PHONE prefix
Function ${prefix}ClosePhone
    StrCpy $PhoneWasRunning 0
    StrCpy $R1 0
    ${Do}
        FindWindow $R0 "${PHONE_CLASS}" "${PRODUCT}"
        ${If} $R0 == 0
        ${OrIf} $R1 >= 20
            ${Break}
        ${EndIf}
        StrCpy $PhoneWasRunning 1
        System::Call 'user32::GetWindowThreadProcessId(p R0, *i .R2)'
        System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i R2) p .R3'
        SendMessage $R0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
        ${If} $R3 P<> 0
            System::Call 'kernel32::WaitForSingleObject(p R3, i 10000)'
            System::Call 'kernel32::CloseHandle(p R3)'
        ${EndIf}
        IntOp $R1 $R1 + 1
    ${Loop}
FunctionEnd
!macroend
!insertmacro DEFINE_CLOSE_PHONE ""
!insertmacro DEFINE_CLOSE_PHONE "un."

Function StartPhone
    FindWindow $R0 "${PHONE_CLASS}" "${PRODUCT}"
    ${If} $R0 == 0
        Exec '"$INSTDIR\${EXE}"'
    ${EndIf}
FunctionEnd

Section "${PRODUCT}" SecProgram
    SectionIn RO
    Call ClosePhone
    SetOutPath "$INSTDIR"
    File "${STAGE}\${EXE}"
    File "${STAGE}\RING.WAV"
    File "${STAGE}\README.txt"
    ; The phone book is the user's: only a first install puts the empty one there.
    SetOverwrite off
    File "${STAGE}\Bookmark.ini"
    SetOverwrite on
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0 \
        SW_SHOWNORMAL "" "${PRODUCT} desk phone"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; The phone starts hidden and waits for its key, so starting it at sign-in is how it is used.
Section "Start ${PRODUCT} when I sign in" SecAutostart
    WriteRegStr HKCU "${RUN_KEY}" "${PRODUCT}" '"$INSTDIR\${EXE}"'
SectionEnd

; Off unless asked for: a link then opens the phone with the number on its display line, where
; it waits for the user to call; the phone never dials it on its own.
Section /o "Open tel: and callto: links with ${PRODUCT}" SecLinks
    !insertmacro WRITE_LINK_SCHEME "tel"
    !insertmacro WRITE_LINK_SCHEME "callto"
SectionEnd

Section "-Finish"
    ${IfNot} ${SectionIsSelected} ${SecAutostart}
        DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
    ${EndIf}
    ${IfNot} ${SectionIsSelected} ${SecLinks}
        !insertmacro REMOVE_LINK_SCHEME "tel"
        !insertmacro REMOVE_LINK_SCHEME "callto"
    ${EndIf}
    ; A phone that ran before the update runs again after it.
    ${If} $PhoneWasRunning == 1
        Exec '"$INSTDIR\${EXE}"'
    ${EndIf}
SectionEnd

Function .onInit
    ; An update keeps the sign-in choice made before.
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ReadRegStr $1 HKCU "${RUN_KEY}" "${PRODUCT}"
    ${GetParameters} $2
    ClearErrors
    ${GetOptions} $2 "/NOAUTOSTART" $3
    ${IfNot} ${Errors}
        !insertmacro UnselectSection ${SecAutostart}
    ${ElseIf} $0 != ""
    ${AndIf} $1 == ""
        !insertmacro UnselectSection ${SecAutostart}
    ${EndIf}
    ; The links stay as chosen before, unless asked for now.
    ReadRegStr $4 HKCU "Software\Classes\tel\shell\open\command" ""
    ClearErrors
    ${GetOptions} $2 "/TELLINKS" $3
    ${IfNot} ${Errors}
    ${OrIf} $4 == '"$0\${EXE}" "%1"'
        !insertmacro SelectSection ${SecLinks}
    ${EndIf}
FunctionEnd

Section "un.${PRODUCT}" UnSecProgram
    SectionIn RO
    Call un.ClosePhone
    Delete "$INSTDIR\${EXE}"
    Delete "$INSTDIR\RING.WAV"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\uninstall.exe"
    Delete "$INSTDIR\Calls.txt.new"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
    !insertmacro REMOVE_LINK_SCHEME "tel"
    !insertmacro REMOVE_LINK_SCHEME "callto"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

Section /o "un.Phone book and recent calls (Bookmark.ini, Calls.txt)" UnSecPhoneBook
    Delete "$INSTDIR\Bookmark.ini"
    Delete "$INSTDIR\Calls.txt"
SectionEnd

Section "-un.Folder"
    ; Only an empty folder goes: a kept phone book keeps it. A process's current folder cannot
    ; go, so the uninstaller leaves it first.
    SetOutPath "$TEMP"
    RMDir "$INSTDIR"
SectionEnd

Function un.onInit
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/REMOVEPHONEBOOK" $1
    ${IfNot} ${Errors}
        !insertmacro SelectSection ${UnSecPhoneBook}
    ${EndIf}
FunctionEnd
