; Per-user installer: the settings file and the temporary download live beside the
; executable, so the program folder must be writable by the user who runs it.
Unicode true
!ifndef ARCH
  !error "ARCH must be defined (win32 or win64)"
!endif
; The 64-bit program gets a 64-bit installer: it runs where the program runs.
!if "${ARCH}" == "win64"
  Target amd64-unicode
!endif
!ifndef PRODUCT
  !error "PRODUCT must be defined"
!endif
!ifndef VERSION
  !error "VERSION must be defined"
!endif
!ifndef BIN_DIR
  !error "BIN_DIR must be defined"
!endif
!ifndef OUT_FILE
  !error "OUT_FILE must be defined"
!endif

!define EXE "CorvaneTessaly.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\CorvaneTessaly"
!define TASK_NAME "CorvaneTessaly-{A871514B-ACE7-4c29-BC9A-D9627D7AACB1}"

Name "${PRODUCT}"
OutFile "${OUT_FILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
SetCompressor /SOLID lzma
ShowInstDetails show

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "Corvane"
VIAddVersionKey "LegalCopyright" "Copyright (C) 2026 Corvane"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Program"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${BIN_DIR}\${EXE}"
  File "${BIN_DIR}\README.txt"
  File "${BIN_DIR}\LICENSE.txt"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\${EXE}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk" "$INSTDIR\Uninstall.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Corvane"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  ; The program removes what it left: the scheduled task, the settings file, the download
  ; files and its local data folder, after finishing a swap a killed run left.
  ExecWait '"$INSTDIR\${EXE}" -u'
  ; The scheduled task would start a program that is no longer there.
  nsExec::Exec 'schtasks /Delete /TN "${TASK_NAME}" /F'
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  Delete "$INSTDIR\${EXE}"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\CorvaneTessaly.ini"
  Delete "$INSTDIR\CorvaneTessaly"
  Delete "$INSTDIR\CorvaneTessaly.part"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
