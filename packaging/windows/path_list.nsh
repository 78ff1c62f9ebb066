; A PATH list without one folder's entries, for the installer and the uninstaller alike:
;   in:  $R0 the list (entries separated by ";"), $R1 the folder
;   out: $R2 the list without the entries naming the folder (with or without a closing "\",
;        in any case), every other entry as it stood; $R3 how many entries went
; Registers $R4 to $R7 are kept.

!macro PATH_WITHOUT PREFIX
Function ${PREFIX}PathWithout
  Push $R4 ; the entry being read
  Push $R5 ; where in the list
  Push $R6 ; the character there
  Push $R7 ; 1 once an entry is kept
  StrCpy $R2 ""
  StrCpy $R3 0
  StrCpy $R4 ""
  StrCpy $R5 0
  StrCpy $R7 0
  ${Do}
    StrCpy $R6 $R0 1 $R5
    ${If} $R6 == ";"
    ${OrIf} $R6 == ""
      ${If} $R4 == $R1
      ${OrIf} $R4 == "$R1\"
        IntOp $R3 $R3 + 1
      ${ElseIf} $R7 == 0
        StrCpy $R2 $R4
        StrCpy $R7 1
      ${Else}
        StrCpy $R2 "$R2;$R4"
      ${EndIf}
      StrCpy $R4 ""
    ${Else}
      StrCpy $R4 "$R4$R6"
    ${EndIf}
    IntOp $R5 $R5 + 1
  ${LoopUntil} $R6 == ""
  Pop $R7
  Pop $R6
  Pop $R5
  Pop $R4
FunctionEnd
!macroend

!insertmacro PATH_WITHOUT ""
!insertmacro PATH_WITHOUT "un."
