; The per-user installer of one release folder made by scripts/package.sh,
; which passes VERSION, NSIS_TARGET, STAGE (the folder), FILES (the lists of
; its files, install.nsh and uninstall.nsh) and OUTFILE.
; The programs write settings, logs, bin\ and downloads\ beside themselves,
; so they go where the user may write, without administrator rights.
Unicode true
Target ${NSIS_TARGET}
RequestExecutionLevel user
SetCompressor /SOLID lzma
; No file times in the installer: the same files give the same installer.
SetDateSave off

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvandale"

Name "Corvandale and Quillmere ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Corvandale"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Corvandale"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "Corvandale and Quillmere setup"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Install"
    !include "${FILES}/install.nsh"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    SetOutPath "$INSTDIR" ; the shortcuts' working folder
    CreateDirectory "$SMPROGRAMS\Corvandale"
    CreateShortcut "$SMPROGRAMS\Corvandale\Corvandale.lnk" "$INSTDIR\Corvandale.exe"
    CreateShortcut "$SMPROGRAMS\Corvandale\Quillmere.lnk" "$INSTDIR\Quillmere.exe"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Corvandale and Quillmere"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Corvandale.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    !include "${FILES}/uninstall.nsh"
    Delete "$SMPROGRAMS\Corvandale\Corvandale.lnk"
    Delete "$SMPROGRAMS\Corvandale\Quillmere.lnk"
    RMDir "$SMPROGRAMS\Corvandale"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"

    ; What the programs made themselves goes only when the user says so;
    ; silent removal keeps it.
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
        "Also remove your settings, the logs and the encoders Quillmere downloaded (bin and downloads folders)?" \
        /SD IDNO IDNO keep
    Delete "$INSTDIR\settingsCorvandale.ini"
    Delete "$INSTDIR\mappings.ini"
    Delete "$INSTDIR\mappingsNEW.ini"
    Delete "$INSTDIR\mappingsIMPORTED.ini"
    Delete "$INSTDIR\settingsQuillmere.ini"
    Delete "$INSTDIR\SonnicAc3.ini"
    Delete "$INSTDIR\JobLogQuillmere.txt"
    Delete "$INSTDIR\MsgLogQuillmere.txt"
    RMDir /r "$INSTDIR\bin"
    RMDir /r "$INSTDIR\downloads"
keep:
    Delete "$INSTDIR\Uninstall.exe"
    ; Only when empty: files the user keeps here stay.
    RMDir "$INSTDIR"
SectionEnd
