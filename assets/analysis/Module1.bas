REM The analysis of the run log.
REM The launcher writes the log directory into E3 of the sheet "データ" and runs VB_OpenMain.
REM Every run log in that directory is imported into "データ" (one row per hit, the 27 fields
REM of a record in 27 columns) and summed up on "集計". A run log is a file whose lines are all
REM 114-character records with an eight-digit date in columns 97-104; other files are skipped.
REM The outcome goes into E4 of "データ": "OK ..." or "NG ..."; the spreadsheet helper reads
REM it, so a failure is always reported. Every error is trapped: an untrapped one would open a
REM dialog that nobody may be there to answer.
Option Explicit

Private Const REC_LEN = 114
Private Const FIELDS = 27
Private Const FIRST_DATA_ROW = 6
Private Const MAX_CHAIN = 10
Private Const BINS = 11
Private Const BIN_WIDTH = 100
Private Const Z95 = 1.959963984540054

' Arrays that grow while they are filled live here: a ReDim of an array parameter does not
' reach the caller. (A ReDim also never stands in a one-line If: the statement after it would
' become part of the If.)
Private gNames() As String
Private gNameCount As Long
Private gRecs() As String
Private gRecCount As Long

Sub VB_OpenMain()
    Dim oDoc As Object, oData As Object, oSum As Object
    Dim sStep As String, sDir As String, sUrl As String
    Dim nFiles As Long, nRecs As Long, i As Long
    Dim bLocked As Boolean

    On Error GoTo Failed
    sStep = "シート"
    oDoc = ThisComponent
    oData = oDoc.Sheets.getByName("データ")
    oSum = oDoc.Sheets.getByName("集計")
    SetStatus(oData, "実行中")

    sStep = "フォルダ"
    sDir = Trim(oData.getCellRangeByName("E3").String)
    If sDir = "" Then
        SetStatus(oData, "NG E3 にログのフォルダが書かれていません")
        Exit Sub
    End If
    ' A directory from a Windows-style setting on a system that separates with "/".
    If Mid(sDir, 2, 1) <> ":" Then sDir = Replace(sDir, "\", "/")
    If Right(sDir, 1) = "/" Or Right(sDir, 1) = "\" Then sDir = Left(sDir, Len(sDir) - 1)
    sUrl = ConvertToURL(sDir)
    If Not FileExists(sUrl) Then
        SetStatus(oData, "NG ログのフォルダが見つかりません: " & sDir)
        Exit Sub
    End If

    sStep = "ログ読み込み"
    ListFiles(sUrl)
    ReDim gRecs(255) As String
    gRecCount = 0
    nFiles = 0
    For i = 0 To gNameCount - 1
        If ReadRecords(sUrl & "/" & gNames(i)) Then nFiles = nFiles + 1
    Next i
    nRecs = gRecCount
    If nRecs = 0 Then
        SetStatus(oData, "NG ログが見つかりません: " & sDir)
        Exit Sub
    End If

    oDoc.lockControllers()
    bLocked = True
    sStep = "データ取り込み"
    ImportRecords(oData)
    sStep = "集計"
    Summarise(oSum, nFiles)
    oDoc.unlockControllers()
    bLocked = False

    SetStatus(oData, "OK " & nRecs & " 件 (" & nFiles & " ファイル)")
    Exit Sub

Failed:
    Dim sError As String
    sError = "NG " & sStep & ": " & Error$ & " (エラー " & Err & ", 行 " & Erl & ")"
    On Error Resume Next
    If bLocked Then oDoc.unlockControllers()
    SetStatus(oData, sError)
End Sub

Private Sub SetStatus(oData As Object, ByVal sText As String)
    oData.getCellRangeByName("E4").String = sText
End Sub

' The names of the plain files of a directory, sorted, so that the rows follow the files.
Private Sub ListFiles(ByVal sUrl As String)
    Dim sName As String, n As Long, i As Long, j As Long, sSwap As String
    ReDim gNames(15) As String
    n = 0
    sName = Dir(sUrl & "/", 0)
    Do While sName <> ""
        If n > UBound(gNames) Then
            ReDim Preserve gNames(2 * n) As String
        End If
        gNames(n) = sName
        n = n + 1
        sName = Dir()
    Loop
    For i = 1 To n - 1
        For j = i To 1 Step -1
            If gNames(j - 1) <= gNames(j) Then Exit For
            sSwap = gNames(j) : gNames(j) = gNames(j - 1) : gNames(j - 1) = sSwap
        Next j
    Next i
    gNameCount = n
End Sub

' Appends the records of one file; a file that is not a run log adds nothing.
Private Function ReadRecords(ByVal sFileUrl As String) As Boolean
    Dim iFile As Integer, sLine As String, nStart As Long
    nStart = gRecCount
    iFile = FreeFile
    Open sFileUrl For Input As #iFile
    Do While Not EOF(iFile)
        Line Input #iFile, sLine
        If Right(sLine, 1) = Chr(13) Then sLine = Left(sLine, Len(sLine) - 1)
        If sLine <> "" Then
            If Not IsRecord(sLine) Then
                Close #iFile
                gRecCount = nStart
                ReadRecords = False
                Exit Function
            End If
            If gRecCount > UBound(gRecs) Then
                ReDim Preserve gRecs(2 * gRecCount) As String
            End If
            gRecs(gRecCount) = sLine
            gRecCount = gRecCount + 1
        End If
    Loop
    Close #iFile
    ReadRecords = (gRecCount > nStart)
End Function

Private Function IsRecord(sLine As String) As Boolean
    Dim i As Integer, c As String
    IsRecord = False
    If Len(sLine) <> REC_LEN Then Exit Function
    For i = 97 To 104
        c = Mid(sLine, i, 1)
        If c < "0" Or c > "9" Then Exit Function
    Next i
    IsRecord = True
End Function

' The 27 fields of a record: numbers as numbers, the reach code, date and time as text.
Private Function ParseRecord(sLine As String) As Variant
    Dim aWidth As Variant, aRow(FIELDS - 1) As Variant
    Dim i As Integer, p As Integer, sField As String
    aWidth = Array(5, 5, 4, 4, 2, 2, 2, 2, 7, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 5, 4, 4, 2, 4, 4, 9, 9)
    p = 1
    For i = 0 To FIELDS - 1
        sField = Trim(Mid(sLine, p, aWidth(i)))
        p = p + aWidth(i)
        If i = 8 Or i >= 25 Or sField = "" Then
            aRow(i) = sField
        Else
            aRow(i) = CDbl(Val(sField))
        End If
    Next i
    ParseRecord = aRow
End Function

Private Function NumberOf(v As Variant) As Double
    If VarType(v) = V_STRING Then NumberOf = 0 Else NumberOf = v
End Function

Private Sub ImportRecords(oData As Object)
    Dim oCursor As Object, nLast As Long, aRows() As Variant, i As Long, nRecs As Long
    nRecs = gRecCount
    oCursor = oData.createCursor()
    oCursor.gotoEndOfUsedArea(False)
    nLast = oCursor.getRangeAddress().EndRow
    If nLast >= FIRST_DATA_ROW Then
        oData.getCellRangeByPosition(0, FIRST_DATA_ROW, FIELDS - 1, nLast).clearContents(23)
    End If
    ReDim aRows(nRecs - 1) As Variant
    For i = 0 To nRecs - 1
        aRows(i) = ParseRecord(gRecs(i))
    Next i
    oData.getCellRangeByPosition(0, FIRST_DATA_ROW, FIELDS - 1, FIRST_DATA_ROW + nRecs - 1).setDataArray(aRows())
End Sub

Private Sub PutText(oSheet As Object, ByVal sCell As String, ByVal sText As String)
    oSheet.getCellRangeByName(sCell).String = sText
End Sub

Private Sub PutValue(oSheet As Object, ByVal sCell As String, ByVal dValue As Double)
    oSheet.getCellRangeByName(sCell).Value = dValue
End Sub

' Reliability x / n with its 95 % Wilson score interval on row nRow (1-based) of columns B-F.
Private Sub PutReliability(oSum As Object, ByVal nRow As Long, ByVal x As Double, ByVal n As Double)
    Dim ph As Double, d As Double, c As Double, h As Double
    PutValue(oSum, "E" & nRow, x)
    PutValue(oSum, "F" & nRow, n)
    If n <= 0 Then Exit Sub
    ph = x / n
    d = 1 + Z95 * Z95 / n
    c = (ph + Z95 * Z95 / (2 * n)) / d
    h = Z95 * Sqr(ph * (1 - ph) / n + Z95 * Z95 / (4 * n * n)) / d
    PutValue(oSum, "B" & nRow, ph)
    PutValue(oSum, "C" & nRow, c - h)
    PutValue(oSum, "D" & nRow, c + h)
End Sub

Private Sub Summarise(oSum As Object, ByVal nFiles As Long)
    Dim aRow As Variant, i As Long, k As Integer, nRecs As Long
    Dim nNormal As Double, nKakuhen As Double, nRelottery As Double, nBase As Double
    Dim aBin(BINS - 1) As Double, nGames As Double, nBin As Integer
    Dim aChain(MAX_CHAIN - 1) As Double, nChains As Double, dChainSum As Double
    Dim dRen As Double, dPrevRen As Double
    Dim aHit(10) As Double, aReach(10) As Double
    Dim dPre1Hit As Double, dPre1 As Double, dPre2Hit As Double, dPre2 As Double
    Dim q As Double, dExpect As Double, oCursor As Object
    Dim aKindName As Variant, aKindCode As Variant

    aKindName = Array("ﾉｰﾏﾙ", "ﾉｰ戻", "右ｵﾊﾞｹ", "右ｽｰﾊﾟ", "右ｽ戻", "左ｵﾊﾞｹ", "左ｽｰﾊﾟ", "手", "ﾌﾗｯｼｭ", "ﾌﾗｺﾏ送")
    aKindCode = Array("01:Nm", "02:NmR", "03:RO", "04:ROS", "05:ROM", "06:LO", "07:LOS", "08:Hnd", "09:Frs", "10:FrK")

    nRecs = gRecCount
    dPrevRen = 0
    For i = 0 To nRecs - 1
        aRow = ParseRecord(gRecs(i))
        If NumberOf(aRow(6)) = 1 Then nKakuhen = nKakuhen + 1 Else nNormal = nNormal + 1
        If NumberOf(aRow(7)) = 1 Then nRelottery = nRelottery + 1

        ' Games to a hit at the normal probability: the previous hit left no kakuhen.
        If NumberOf(aRow(22)) = 0 Then
            nBase = nBase + 1
            nGames = NumberOf(aRow(0))
            nBin = Int((nGames - 1) / BIN_WIDTH)
            If nBin < 0 Then nBin = 0
            If nBin > BINS - 1 Then nBin = BINS - 1
            aBin(nBin) = aBin(nBin) + 1
        End If

        ' A chain ends where the chain count does not grow; its length is its last count.
        dRen = NumberOf(aRow(23))
        If i > 0 And dRen <= dPrevRen Then CountChain(aChain(), dPrevRen, nChains, dChainSum)
        dPrevRen = dRen

        k = Val(Left(aRow(8), 2))
        If k >= 1 And k <= 10 Then aHit(k) = aHit(k) + 1
        For k = 1 To 10
            aReach(k) = aReach(k) + NumberOf(aRow(8 + k))
        Next k
        If NumberOf(aRow(19)) = 1 Then dPre1Hit = dPre1Hit + 1
        If NumberOf(aRow(19)) = 2 Then dPre2Hit = dPre2Hit + 1
        dPre1 = dPre1 + NumberOf(aRow(20))
        dPre2 = dPre2 + NumberOf(aRow(21))
    Next i
    CountChain(aChain(), dPrevRen, nChains, dChainSum)

    oCursor = oSum.createCursor()
    oCursor.gotoEndOfUsedArea(False)
    oSum.getCellRangeByPosition(0, 0, oCursor.getRangeAddress().EndColumn, oCursor.getRangeAddress().EndRow).clearContents(23)

    PutText(oSum, "A1", "集計")
    PutText(oSum, "A3", "大当り数") : PutValue(oSum, "B3", nRecs)
    PutText(oSum, "A4", "通常図柄の当り") : PutValue(oSum, "B4", nNormal) : PutValue(oSum, "C4", nNormal / nRecs)
    PutText(oSum, "A5", "確変図柄の当り") : PutValue(oSum, "B5", nKakuhen) : PutValue(oSum, "C5", nKakuhen / nRecs)
    PutText(oSum, "A6", "再抽選") : PutValue(oSum, "B6", nRelottery) : PutValue(oSum, "C6", nRelottery / nRecs)
    PutText(oSum, "A7", "連荘の数") : PutValue(oSum, "B7", nChains)
    PutText(oSum, "A8", "平均連荘数") : PutValue(oSum, "B8", dChainSum / nChains)
    PutText(oSum, "A9", "ログファイル数") : PutValue(oSum, "B9", nFiles)
    PutText(oSum, "A10", "通常確率での当り") : PutValue(oSum, "B10", nBase)

    PutText(oSum, "A12", "ゲーム数") : PutText(oSum, "B12", "実測") : PutText(oSum, "C12", "期待値(1/367)")
    q = 1 - 1 / 367
    For k = 0 To BINS - 1
        If k < BINS - 1 Then
            PutText(oSum, "A" & (13 + k), (k * BIN_WIDTH + 1) & "-" & ((k + 1) * BIN_WIDTH))
            dExpect = q ^ (k * BIN_WIDTH) - q ^ ((k + 1) * BIN_WIDTH)
        Else
            PutText(oSum, "A" & (13 + k), (k * BIN_WIDTH + 1) & "-")
            dExpect = q ^ (k * BIN_WIDTH)
        End If
        PutValue(oSum, "B" & (13 + k), aBin(k))
        PutValue(oSum, "C" & (13 + k), nBase * dExpect)
    Next k

    PutText(oSum, "E12", "連荘") : PutText(oSum, "F12", "回数")
    For k = 0 To MAX_CHAIN - 1
        If k < MAX_CHAIN - 1 Then PutText(oSum, "E" & (13 + k), CStr(k + 1)) Else PutText(oSum, "E" & (13 + k), (k + 1) & "-")
        PutValue(oSum, "F" & (13 + k), aChain(k))
    Next k

    PutText(oSum, "A25", "リーチ") : PutText(oSum, "B25", "信頼度") : PutText(oSum, "C25", "95%下限")
    PutText(oSum, "D25", "95%上限") : PutText(oSum, "E25", "当り") : PutText(oSum, "F25", "回数")
    PutText(oSum, "G25", "コード")
    For k = 1 To 10
        PutText(oSum, "A" & (25 + k), aKindName(k - 1))
        PutText(oSum, "G" & (25 + k), aKindCode(k - 1))
        PutReliability(oSum, 25 + k, aHit(k), aReach(k))
    Next k
    PutText(oSum, "A36", "予告1(ガセ)") : PutReliability(oSum, 36, dPre1Hit, dPre1)
    PutText(oSum, "A37", "予告2(本物)") : PutReliability(oSum, 37, dPre2Hit, dPre2)

    AddChart(oSum, "GamesChart", "A12:C23", 16000, 500, "当りまでのゲーム数")
    AddChart(oSum, "ReliabilityChart", "A25:B35", 16000, 8000, "リーチ別の信頼度")
    AddChart(oSum, "ChainChart", "E12:F22", 16000, 15500, "連荘の長さ")
End Sub

Private Sub CountChain(aChain() As Double, ByVal dLength As Double, nChains As Double, dSum As Double)
    Dim k As Integer
    If dLength < 1 Then Exit Sub
    k = dLength - 1
    If k > MAX_CHAIN - 1 Then k = MAX_CHAIN - 1
    aChain(k) = aChain(k) + 1
    nChains = nChains + 1
    dSum = dSum + dLength
End Sub

Private Sub AddChart(oSheet As Object, ByVal sName As String, ByVal sRange As String, ByVal nX As Long, ByVal nY As Long, ByVal sTitle As String)
    Dim oRect As New com.sun.star.awt.Rectangle
    Dim aRanges(0) As New com.sun.star.table.CellRangeAddress
    Dim oCharts As Object, oChart As Object
    oRect.X = nX : oRect.Y = nY : oRect.Width = 14000 : oRect.Height = 7000
    aRanges(0) = oSheet.getCellRangeByName(sRange).getRangeAddress()
    oCharts = oSheet.getCharts()
    If oCharts.hasByName(sName) Then oCharts.removeByName(sName)
    oCharts.addNewByName(sName, oRect, aRanges(), True, True)
    oChart = oCharts.getByName(sName).getEmbeddedObject()
    oChart.HasMainTitle = True
    oChart.getTitle().String = sTitle
End Sub
