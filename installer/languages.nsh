; The installer's six languages: NSIS's own page texts, and the few texts
; this installer adds, in each language. The language chosen in the first
; dialog becomes the program's (the registry value "Language"). A silent
; install, and the program's own update (it runs the installer as
; update.exe), ask nothing and leave the value as it was; their pages come
; in the program's language.

Var LanguageAsked

!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"
!insertmacro MUI_LANGUAGE "French"
!insertmacro MUI_LANGUAGE "Dutch"
!insertmacro MUI_LANGUAGE "Italian"
!insertmacro MUI_LANGUAGE "Spanish"

LangString RunNowText ${LANG_ENGLISH} "Start ${PRODUCT} now"
LangString AutostartText ${LANG_ENGLISH} "Start ${PRODUCT} when I log on"
LangString RemoveDataText ${LANG_ENGLISH} "Also remove my scans waiting to be sent, logs and settings"

LangString RunNowText ${LANG_GERMAN} "${PRODUCT} jetzt starten"
LangString AutostartText ${LANG_GERMAN} "${PRODUCT} bei der Anmeldung starten"
LangString RemoveDataText ${LANG_GERMAN} "Auch meine noch nicht gesendeten Scans, Protokolle und Einstellungen entfernen"

LangString RunNowText ${LANG_FRENCH} "Démarrer ${PRODUCT} maintenant"
LangString AutostartText ${LANG_FRENCH} "Démarrer ${PRODUCT} à l'ouverture de session"
LangString RemoveDataText ${LANG_FRENCH} "Supprimer aussi mes scans en attente d'envoi, les journaux et les paramètres"

LangString RunNowText ${LANG_DUTCH} "${PRODUCT} nu starten"
LangString AutostartText ${LANG_DUTCH} "${PRODUCT} starten wanneer ik aanmeld"
LangString RemoveDataText ${LANG_DUTCH} "Ook mijn nog niet verzonden scans, logboeken en instellingen verwijderen"

LangString RunNowText ${LANG_ITALIAN} "Avvia ${PRODUCT} ora"
LangString AutostartText ${LANG_ITALIAN} "Avvia ${PRODUCT} all'accesso"
LangString RemoveDataText ${LANG_ITALIAN} "Rimuovi anche le scansioni in attesa di invio, i registri e le impostazioni"

LangString RunNowText ${LANG_SPANISH} "Iniciar ${PRODUCT} ahora"
LangString AutostartText ${LANG_SPANISH} "Iniciar ${PRODUCT} al iniciar sesión"
LangString RemoveDataText ${LANG_SPANISH} "Quitar también mis escaneos pendientes de envío, los registros y la configuración"

; The dialog offers the program's language as it is (an upgrade keeps it).
Function PreselectChosenLanguage
    ReadRegStr $0 HKCU "${SETTINGS_KEY}" "Language"
    ${If} $0 == "en"
        StrCpy $LANGUAGE ${LANG_ENGLISH}
    ${ElseIf} $0 == "de"
        StrCpy $LANGUAGE ${LANG_GERMAN}
    ${ElseIf} $0 == "fr"
        StrCpy $LANGUAGE ${LANG_FRENCH}
    ${ElseIf} $0 == "nl"
        StrCpy $LANGUAGE ${LANG_DUTCH}
    ${ElseIf} $0 == "it"
        StrCpy $LANGUAGE ${LANG_ITALIAN}
    ${ElseIf} $0 == "es"
        StrCpy $LANGUAGE ${LANG_SPANISH}
    ${EndIf}
FunctionEnd

; The language dialog, where the pharmacist installs by hand.
Function AskLanguage
    StrCpy $LanguageAsked ""
    ${If} ${Silent}
    ${OrIf} $EXEFILE == "update.exe"
        Return
    ${EndIf}
    !insertmacro MUI_LANGDLL_DISPLAY
    StrCpy $LanguageAsked "1"
FunctionEnd

; The program's code for the language asked for.
Function WriteChosenLanguage
    ${If} $LanguageAsked != "1"
        Return
    ${EndIf}
    StrCpy $0 "en"
    ${If} $LANGUAGE == ${LANG_GERMAN}
        StrCpy $0 "de"
    ${ElseIf} $LANGUAGE == ${LANG_FRENCH}
        StrCpy $0 "fr"
    ${ElseIf} $LANGUAGE == ${LANG_DUTCH}
        StrCpy $0 "nl"
    ${ElseIf} $LANGUAGE == ${LANG_ITALIAN}
        StrCpy $0 "it"
    ${ElseIf} $LANGUAGE == ${LANG_SPANISH}
        StrCpy $0 "es"
    ${EndIf}
    WriteRegStr HKCU "${SETTINGS_KEY}" "Language" $0
FunctionEnd
