REM The analysis of the run log.
REM The launcher writes the log directory into E3 of the sheet "データ" and runs VB_OpenMain.
REM Every run log in that directory is imported into "データ" (one row per hit, the 27 fields
REM of a record in 27 columns) and summed up on "集計". A run log is a file whose lines are all
REM 114-character records with an eight-digit date in columns 97-104; other files are skipped.
REM A record met twice (a backup copy of a log beside the log) is counted once.
REM The outcome goes into E4 of "データ": "OK ..." when the logs were analysed, "NA ..." when
REM there was nothing to analyse, "NG ..." when the analysis failed. The spreadsheet helper
REM reads it, so a failure is always reported. Every error is trapped: an untrapped one would
REM open a dialog that nobody may be there to answer.
REM Basic costs about a microsecond a statement, which made a record by record analysis take
REM minutes for 100,000 hits; so the office does the work on whole ranges: its text import
REM splits the records into fields, a copy or its filter (which drops repeated rows) moves them
REM into "データ", and its functions count them. Basic touches whole files, not records.
Option Explicit

Private Const FIELDS = 27
Private Const FIRST_DATA_ROW = 6
Private Const MAX_CHAIN = 10
Private Const BINS = 11
Private Const BIN_WIDTH = 100
Private Const Z95 = 1.959963984540054
Private Const NAMED_SKIPS = 3
' Where each field begins (from 0) and how it is read: 1 as a number, 2 as text (the reach
' code, the date and the time).
Private Const FIELD_LAYOUT = "0/1/5/1/10/1/14/1/18/1/20/1/22/1/24/1/26/2/33/1/37/1/41/1/45/1/49/1/53/1/57/1/61/1/65/1/69/1/73/1/78/1/82/1/86/1/88/1/92/1/96/2/105/2"
' A line that is neither empty nor a record; one of them makes a file something else.
Private Const NOT_A_RECORD = "(?m)^(?!\r?$)(?!.{96}[0-9]{8}.{10}\r?$).*"
Private Const A_RECORD = "(?m)^.{96}[0-9]{8}.{10}\r?$"
Private Const EMPTY_LINE = "(?m)^\r?\n"
' Columns of "データ" the summary reads.
Private Const COL_GAMES = "A"
Private Const COL_KAKUHEN = "G"
Private Const COL_RELOTTERY = "H"
Private Const COL_CODE = "I"
Private Const COL_PREVIEW = "T"
Private Const COL_PREVIEW1 = "U"
Private Const COL_PREVIEW2 = "V"
Private Const COL_PREV_KAKUHEN = "W"
Private Const COL_CHAIN = "X"
Private Const COL_DATE = "Z"
Private Const COL_TIME = "AA"
' Where the hits of the ten kinds begin among the counts.
Private Const KIND_HITS = 26

' What a failure must undo: the hidden document of the text import and the scratch sheet.
Private gParsed As Object
Private gScratch As String
Private gSkipped() As String
Private gSkipCount As Long
' The workbook's own choice of regular expressions and wildcards while the counts override it.
Private gMatching As Variant

Sub VB_OpenMain()
    Dim oDoc As Object, oData As Object, oSum As Object
    Dim sStep As String, sDir As String, sUrl As String, sText As String, sDone As String
    Dim nFiles As Long, nFound As Long, nRecs As Long, nAll As Long, aCounts As Variant
    Dim bLocked As Boolean, bBulk As Boolean

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
    sText = ReadRunLogs(sUrl, nFound, nFiles)
    If nFound = 0 Then
        SetStatus(oData, "NA ログのフォルダにファイルがありません: " & sDir)
        Exit Sub
    End If
    If nFiles = 0 Then
        SetStatus(oData, "NA ログのフォルダに打ち込みログがありません: " & sDir & _
                         " (読み飛ばしたファイル: " & SkippedNames() & ")")
        Exit Sub
    End If

    oDoc.lockControllers()
    bLocked = True
    BeginBulk(oDoc)
    bBulk = True
    sStep = "データ取り込み"
    nRecs = ImportRecords(oDoc, oData, sText, nAll)
    sText = ""
    sStep = "集計"
    aCounts = Counts(oDoc, nRecs)
    RemoveScratch(oDoc)
    EndBulk(oDoc)
    bBulk = False
    Summarise(oDoc, oSum, aCounts, nRecs, nFiles)
    oDoc.unlockControllers()
    bLocked = False

    sDone = "OK " & nRecs & " 件 (" & nFiles & " ファイル"
    If nAll > nRecs Then sDone = sDone & "、重複 " & (nAll - nRecs) & " 件を除外"
    SetStatus(oData, sDone & ")")
    Exit Sub

Failed:
    Dim sError As String
    sError = "NG " & sStep & ": " & Error$ & " (エラー " & Err & ", 行 " & Erl & ")"
    On Error Resume Next
    If Not IsNull(gParsed) Then gParsed.close(True)
    gParsed = Nothing
    RemoveScratch(oDoc)
    RestoreMatching(oDoc)
    If bBulk Then EndBulk(oDoc)
    If bLocked Then oDoc.unlockControllers()
    SetStatus(oData, sError)
End Sub

Private Sub SetStatus(oData As Object, ByVal sText As String)
    oData.getCellRangeByName("E4").String = sText
End Sub

' While the rows come and the scratch sheet goes: no undo copy of 100,000 rows, no row height
' reckoning. Only for that: the office ends abruptly when a chart is replaced without undo.
Private Sub BeginBulk(oDoc As Object)
    oDoc.IsUndoEnabled = False
    oDoc.IsAdjustHeightEnabled = False
End Sub

Private Sub EndBulk(oDoc As Object)
    oDoc.IsAdjustHeightEnabled = True
    oDoc.IsUndoEnabled = True
End Sub

Private Sub RemoveScratch(oDoc As Object)
    If gScratch = "" Then Exit Sub
    If oDoc.Sheets.hasByName(gScratch) Then oDoc.Sheets.removeByName(gScratch)
    gScratch = ""
End Sub

' The text of every run log of the directory, in the order of the file names, one record a
' line. nFound counts the files, nFiles the run logs among them; the other files are kept in
' gSkipped.
Private Function ReadRunLogs(ByVal sUrl As String, nFound As Long, nFiles As Long) As String
    Dim aNames As Variant, sName As String, sText As String, sAll As String, i As Long
    Dim bEmpty As Boolean
    Dim oNotRecord As Object, oRecord As Object, oSfa As Object, sEnd As String
    oSfa = createUnoService("com.sun.star.ucb.SimpleFileAccess")
    oNotRecord = Searcher(NOT_A_RECORD)
    oRecord = Searcher(A_RECORD)
    aNames = SortedFileNames(sUrl)
    nFound = UBound(aNames) + 1
    ReDim gSkipped(nFound) As String
    gSkipCount = 0
    nFiles = 0
    For i = 0 To nFound - 1
        sName = aNames(i)
        sText = ReadRunLog(oSfa, sUrl & "/" & sName, oNotRecord, oRecord, bEmpty)
        If sText = "" Then
            If bEmpty Then sName = sName & " (空)"
            gSkipped(gSkipCount) = sName
            gSkipCount = gSkipCount + 1
        Else
            sAll = sAll & sText
            nFiles = nFiles + 1
        End If
    Next i
    ' The text import ends a line at a line feed, with or without a carriage return before it,
    ' but makes an empty row of an empty line: those go (a log written by the machine has none).
    ' Replace and InStr compare binary (0): their default, ignoring case, costs seconds here.
    If Found(Searcher(EMPTY_LINE), sAll) Then
        sAll = Replace(sAll, Chr(13), "", 1, -1, 0)
        sEnd = Chr(10) & Chr(10)
        Do While InStr(1, sAll, sEnd, 0) > 0
            sAll = Replace(sAll, sEnd, Chr(10), 1, -1, 0)
        Loop
        If Left(sAll, 1) = Chr(10) Then sAll = Mid(sAll, 2)
    End If
    ReadRunLogs = sAll
End Function

' The text of one file with a line end after its last line, or "" when it is not a run log;
' bEmpty tells a file without any line but empty ones. A file is judged by its first line
' before the rest is read, so that a large file of another kind costs little.
Private Function ReadRunLog(oSfa As Object, ByVal sFileUrl As String, oNotRecord As Object, oRecord As Object, bEmpty As Boolean) As String
    Dim oIn As Object, oText As Object, sText As String
    ReadRunLog = ""
    bEmpty = False
    oIn = oSfa.openFileRead(sFileUrl)
    oText = createUnoService("com.sun.star.io.TextInputStream")
    oText.setInputStream(oIn)
    oText.setEncoding("UTF-8")
    If Not oText.isEOF() Then sText = oText.readLine() & Chr(10)
    If Not Found(oNotRecord, sText) And Not oText.isEOF() Then sText = sText & oText.readString(Array(), False)
    oIn.closeInput()
    If Found(oNotRecord, sText) Then Exit Function
    bEmpty = Not Found(oRecord, sText)
    If bEmpty Then Exit Function
    If Right(sText, 1) <> Chr(10) Then sText = sText & Chr(10)
    ReadRunLog = sText
End Function

Private Function Searcher(ByVal sPattern As String) As Object
    Dim oOptions As New com.sun.star.util.SearchOptions, oSearch As Object
    oOptions.algorithmType = com.sun.star.util.SearchAlgorithms.REGEXP
    oOptions.searchString = sPattern
    oSearch = createUnoService("com.sun.star.util.TextSearch")
    oSearch.setOptions(oOptions)
    Searcher = oSearch
End Function

Private Function Found(oSearcher As Object, sText As String) As Boolean
    Found = oSearcher.searchForward(sText, 0, Len(sText)).subRegExpressions > 0
End Function

' The names of the plain files of a directory, sorted, so that the rows follow the files.
Private Function SortedFileNames(ByVal sUrl As String) As Variant
    Dim aNames() As String, sName As String, n As Long, i As Long, j As Long, sSwap As String
    ReDim aNames(15) As String
    n = 0
    sName = Dir(sUrl & "/", 0)
    Do While sName <> ""
        If n > UBound(aNames) Then
            ReDim Preserve aNames(2 * n) As String
        End If
        aNames(n) = sName
        n = n + 1
        sName = Dir()
    Loop
    For i = 1 To n - 1
        For j = i To 1 Step -1
            If aNames(j - 1) <= aNames(j) Then Exit For
            sSwap = aNames(j) : aNames(j) = aNames(j - 1) : aNames(j - 1) = sSwap
        Next j
    Next i
    If n = 0 Then
        SortedFileNames = Array()
    Else
        ReDim Preserve aNames(n - 1) As String
        SortedFileNames = aNames
    End If
End Function

' The first few skipped files by name, the rest by their number.
Private Function SkippedNames() As String
    Dim s As String, i As Long
    For i = 0 To gSkipCount - 1
        If i = NAMED_SKIPS Then
            s = s & " ほか " & (gSkipCount - NAMED_SKIPS) & " 件"
            Exit For
        End If
        If i > 0 Then s = s & ", "
        s = s & gSkipped(i)
    Next i
    SkippedNames = s
End Function

' The records of sText split into their fields by the office's text import, in a hidden
' document of its own.
Private Function ParsedRecords(sText As String) As Object
    Dim oPipe As Object, oOut As Object
    Dim aProps(3) As New com.sun.star.beans.PropertyValue
    oPipe = createUnoService("com.sun.star.io.Pipe")
    oOut = createUnoService("com.sun.star.io.TextOutputStream")
    oOut.setOutputStream(oPipe)
    oOut.setEncoding("UTF-8")
    oOut.writeString(sText)
    oOut.closeOutput()
    ' Fixed columns, UTF-8, from line 1, blanks around fields removed, plain numbers only: a
    ' time such as 12:00:05 stays the text it was.
    aProps(0).Name = "InputStream" : aProps(0).Value = oPipe
    aProps(1).Name = "FilterName" : aProps(1).Value = "Text - txt - csv (StarCalc)"
    aProps(2).Name = "FilterOptions"
    aProps(2).Value = "FIX,,76,1," & FIELD_LAYOUT & ",1033,false,false,false,false,true"
    aProps(3).Name = "Hidden" : aProps(3).Value = True
    ParsedRecords = StarDesktop.loadComponentFromURL("private:stream", "_blank", 0, aProps())
End Function

' Replaces the rows of "データ" with the records of sText, each record once; returns how many
' rows that made, and in nAll how many records there were. The parsed records stay on the
' scratch sheet gScratch for the summary to calculate beside them.
Private Function ImportRecords(oDoc As Object, oData As Object, sText As String, nAll As Long) As Long
    Dim oCursor As Object, nLast As Long, oSheets As Object, oScratch As Object, nAt As Long
    Dim oRows As Object, oTarget As New com.sun.star.table.CellAddress

    oCursor = oData.createCursor()
    oCursor.gotoEndOfUsedArea(False)
    nLast = oCursor.getRangeAddress().EndRow
    If nLast >= FIRST_DATA_ROW Then
        oData.getCellRangeByPosition(0, FIRST_DATA_ROW, FIELDS - 1, nLast).clearContents(23)
    End If

    gParsed = ParsedRecords(sText)
    oSheets = oDoc.Sheets
    nAt = oSheets.importSheet(gParsed, gParsed.Sheets.getByIndex(0).Name, oSheets.Count)
    gScratch = oSheets.getByIndex(nAt).Name
    gParsed.close(True)
    gParsed = Nothing
    oScratch = oSheets.getByIndex(nAt)
    oCursor = oScratch.createCursor()
    oCursor.gotoEndOfUsedArea(False)
    nAll = oCursor.getRangeAddress().EndRow + 1

    oRows = oScratch.getCellRangeByPosition(0, 0, FIELDS - 1, nAll - 1)
    oTarget.Sheet = oData.getRangeAddress().Sheet
    oTarget.Column = 0
    oTarget.Row = FIRST_DATA_ROW
    If CanRepeat(oScratch, nAll) Then
        ImportRecords = CopyEachOnce(oData, oRows, oTarget, nAll)
    Else
        oData.copyRange(oTarget, oRows.getRangeAddress())
        ImportRecords = nAll
    End If
End Function

' Whether two records may be the same. A record carries the date and time of its hit, and the
' records of a run log follow each other in time: where every record is later than the one
' before, no two are alike, and the costlier filter is not needed.
Private Function CanRepeat(oScratch As Object, ByVal nAll As Long) As Boolean
    Dim oCell As Object, sDate As String, sDateBefore As String
    If nAll < 2 Then
        CanRepeat = False
        Exit Function
    End If
    ' The formula stands on the scratch sheet itself: its references need no sheet name.
    sDate = Span("", COL_DATE, 2, nAll)
    sDateBefore = Span("", COL_DATE, 1, nAll - 1)
    oCell = oScratch.getCellByPosition(FIELDS + 1, 0)
    oCell.setFormula("=SUMPRODUCT((" & sDate & "<" & sDateBefore & ")+(" & sDate & "=" & sDateBefore & _
                     ")*(" & Span("", COL_TIME, 2, nAll) & "<=" & Span("", COL_TIME, 1, nAll - 1) & "))")
    CanRepeat = (oCell.getValue() <> 0)
    oCell.setString("")
End Function

' Copies the rows to oTarget with every repeated row left out; returns how many were copied.
Private Function CopyEachOnce(oData As Object, oRows As Object, oTarget As Object, ByVal nAll As Long) As Long
    Dim oFilter As Object, aNone() As New com.sun.star.sheet.TableFilterField2
    Dim oFunctions As Object
    oFilter = oRows.createFilterDescriptor(True)
    oFilter.setFilterFields2(aNone())
    oFilter.ContainsHeader = False
    oFilter.SkipDuplicates = True
    oFilter.IsCaseSensitive = True
    oFilter.CopyOutputData = True
    oFilter.OutputPosition = oTarget
    oRows.filter(oFilter)
    ' Every record has its date.
    oFunctions = createUnoService("com.sun.star.sheet.FunctionAccess")
    CopyEachOnce = oFunctions.callFunction("COUNTA", Array(oData.getCellRangeByPosition(25, FIRST_DATA_ROW, 25, FIRST_DATA_ROW + nAll - 1)))
End Function

' Rows nFrom to nTo (1-based) of a column, on the sheet named by sSheet ("$'name'.", or "" for
' the sheet of the formula).
Private Function Span(ByVal sSheet As String, ByVal sColumn As String, ByVal nFrom As Long, ByVal nTo As Long) As String
    Span = sSheet & sColumn & "$" & nFrom & ":" & sColumn & "$" & nTo
End Function

Private Sub PutText(oSheet As Object, ByVal sCell As String, ByVal sText As String)
    oSheet.getCellRangeByName(sCell).String = sText
End Sub

Private Sub PutValue(oSheet As Object, ByVal sCell As String, ByVal dValue As Double)
    oSheet.getCellRangeByName(sCell).Value = dValue
End Sub

Private Function Clamped(ByVal d As Double) As Double
    If d < 0 Then d = 0
    If d > 1 Then d = 1
    Clamped = d
End Function

' Reliability x / n with its 95 % Wilson score interval on row nRow (1-based) of columns B-F.
' The bounds are shares: rounding must not carry them below 0 or above 1.
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
    PutValue(oSum, "C" & nRow, Clamped(c - h))
    PutValue(oSum, "D" & nRow, Clamped(c + h))
End Sub

' The counts of the summary, calculated by the office over the rows of "データ" in one column
' of formulas on the scratch sheet. They take the fields for numbers, which they are in every
' record the machine writes.
' Returns them in this order: kakuhen, re-lottery, hits at the normal probability, BINS
' game bins, MAX_CHAIN chain lengths, chains, their total length, hits (from KIND_HITS) and
' reaches of the ten kinds, hits and games of previews 1 and 2, and the records with a code.
Private Function Counts(oDoc As Object, ByVal nRecs As Long) As Variant
    Dim oScratch As Object, aFormulas() As Variant, n As Integer, k As Integer
    Dim sD As String, nEnd As Long, sChain As String, sNext As String, sEnds As String, sBin As String
    Dim aResult As Variant, aKinds As Variant, nCoded As Double

    sD = "$'データ'."
    nEnd = FIRST_DATA_ROW + nRecs
    sChain = Span(sD, COL_CHAIN, FIRST_DATA_ROW + 1, nEnd)
    ' The row after the last record is empty: the last chain ends there.
    sNext = Span(sD, COL_CHAIN, FIRST_DATA_ROW + 2, nEnd + 1)
    ' A chain ends where the chain count does not grow; its length is its last count.
    sEnds = "(" & sChain & ">=1)*(" & sNext & "<=" & sChain & ")"

    ReDim aFormulas(KIND_HITS + 20 + 4) As Variant
    n = 0
    AddFormula(aFormulas, n, "COUNTIF(" & Data(COL_KAKUHEN, nRecs) & ";1)")
    AddFormula(aFormulas, n, "COUNTIF(" & Data(COL_RELOTTERY, nRecs) & ";1)")
    ' Games to a hit at the normal probability: the previous hit left no kakuhen.
    AddFormula(aFormulas, n, "COUNTIF(" & Data(COL_PREV_KAKUHEN, nRecs) & ";0)")
    ' Bin k holds the hits after g games where Int((g - 1) / 100) is k; the first bin also
    ' those after fewer games, the last those after more.
    For k = 0 To BINS - 1
        sBin = ""
        If k > 0 Then sBin = sBin & ";" & Data(COL_GAMES, nRecs) & ";"">=" & (k * BIN_WIDTH + 1) & """"
        If k < BINS - 1 Then sBin = sBin & ";" & Data(COL_GAMES, nRecs) & ";""<" & ((k + 1) * BIN_WIDTH + 1) & """"
        AddFormula(aFormulas, n, "COUNTIFS(" & Data(COL_PREV_KAKUHEN, nRecs) & ";0" & sBin & ")")
    Next k
    For k = 1 To MAX_CHAIN
        If k < MAX_CHAIN Then
            AddFormula(aFormulas, n, "SUMPRODUCT(" & sEnds & "*(" & sChain & "=" & k & "))")
        Else
            AddFormula(aFormulas, n, "SUMPRODUCT(" & sEnds & "*(" & sChain & ">=" & k & "))")
        End If
    Next k
    AddFormula(aFormulas, n, "SUMPRODUCT(" & sEnds & ")")
    AddFormula(aFormulas, n, "SUMPRODUCT(" & sEnds & ";" & sChain & ")")
    ' A hit's kind is the number its reach code begins with. The ten codes the machine writes
    ' are counted as they stand, which is quick; other codes take the pattern below.
    For k = 1 To 10
        AddFormula(aFormulas, n, "COUNTIF(" & Data(COL_CODE, nRecs) & ";""" & KindCodes()(k - 1) & """)")
    Next k
    For k = 1 To 10
        AddFormula(aFormulas, n, "SUM(" & Data(Chr(Asc("I") + k), nRecs) & ")")
    Next k
    AddFormula(aFormulas, n, "COUNTIF(" & Data(COL_PREVIEW, nRecs) & ";1)")
    AddFormula(aFormulas, n, "SUM(" & Data(COL_PREVIEW1, nRecs) & ")")
    AddFormula(aFormulas, n, "COUNTIF(" & Data(COL_PREVIEW, nRecs) & ";2)")
    AddFormula(aFormulas, n, "SUM(" & Data(COL_PREVIEW2, nRecs) & ")")
    AddFormula(aFormulas, n, "COUNTA(" & Data(COL_CODE, nRecs) & ")")

    ' Criteria are read as regular expressions whatever the workbook's setting.
    gMatching = Array(oDoc.RegularExpressions, oDoc.Wildcards)
    oDoc.Wildcards = False
    oDoc.RegularExpressions = True
    oScratch = oDoc.Sheets.getByName(gScratch)
    aResult = Calculated(oScratch, aFormulas, n)
    nCoded = aResult(n - 1)
    For k = 0 To 9
        nCoded = nCoded - aResult(KIND_HITS + k)
    Next k
    If nCoded <> 0 Then
        ReDim aFormulas(9) As Variant
        n = 0
        For k = 1 To 10
            AddFormula(aFormulas, n, "COUNTIF(" & Data(COL_CODE, nRecs) & ";""^" & Format(k, "00") & ".*"")")
        Next k
        aKinds = Calculated(oScratch, aFormulas, 10)
        For k = 0 To 9
            aResult(KIND_HITS + k) = aKinds(k)
        Next k
    End If
    RestoreMatching(oDoc)
    Counts = aResult
End Function

' The values of n formulas, calculated in a column of the scratch sheet.
Private Function Calculated(oScratch As Object, aFormulas() As Variant, ByVal n As Integer) As Variant
    Dim oColumn As Object, aValues As Variant, aOut() As Double, k As Integer
    oColumn = oScratch.getCellRangeByPosition(FIELDS + 1, 0, FIELDS + 1, n - 1)
    oColumn.setFormulaArray(aFormulas)
    aValues = oColumn.getDataArray()
    ReDim aOut(n - 1) As Double
    For k = 0 To n - 1
        aOut(k) = aValues(k)(0)
    Next k
    Calculated = aOut
End Function

Private Function KindCodes() As Variant
    KindCodes = Array("01:Nm", "02:NmR", "03:RO", "04:ROS", "05:ROM", "06:LO", "07:LOS", "08:Hnd", "09:Frs", "10:FrK")
End Function

Private Sub RestoreMatching(oDoc As Object)
    If IsEmpty(gMatching) Then Exit Sub
    oDoc.RegularExpressions = gMatching(0)
    oDoc.Wildcards = gMatching(1)
    gMatching = Empty
End Sub

Private Function Data(ByVal sColumn As String, ByVal nRecs As Long) As String
    Data = Span("$'データ'.", sColumn, FIRST_DATA_ROW + 1, FIRST_DATA_ROW + nRecs)
End Function

Private Sub AddFormula(aFormulas() As Variant, n As Integer, ByVal sFormula As String)
    aFormulas(n) = Array("=" & sFormula)
    n = n + 1
End Sub

Private Sub Summarise(oDoc As Object, oSum As Object, c As Variant, ByVal nRecs As Long, ByVal nFiles As Long)
    Dim k As Integer, at As Integer
    Dim nKakuhen As Double, nRelottery As Double, nBase As Double, nChains As Double
    Dim q As Double, dExpect As Double, oCursor As Object
    Dim aKindName As Variant

    aKindName = Array("ﾉｰﾏﾙ", "ﾉｰ戻", "右ｵﾊﾞｹ", "右ｽｰﾊﾟ", "右ｽ戻", "左ｵﾊﾞｹ", "左ｽｰﾊﾟ", "手", "ﾌﾗｯｼｭ", "ﾌﾗｺﾏ送")

    nKakuhen = c(0)
    nRelottery = c(1)
    nBase = c(2)
    at = 3 + BINS + MAX_CHAIN
    nChains = c(at)

    oCursor = oSum.createCursor()
    oCursor.gotoEndOfUsedArea(False)
    oSum.getCellRangeByPosition(0, 0, oCursor.getRangeAddress().EndColumn, oCursor.getRangeAddress().EndRow).clearContents(23)

    PutText(oSum, "A1", "集計")
    PutText(oSum, "A3", "大当り数") : PutValue(oSum, "B3", nRecs)
    PutText(oSum, "A4", "通常図柄の当り") : PutValue(oSum, "B4", nRecs - nKakuhen) : PutValue(oSum, "C4", (nRecs - nKakuhen) / nRecs)
    PutText(oSum, "A5", "確変図柄の当り") : PutValue(oSum, "B5", nKakuhen) : PutValue(oSum, "C5", nKakuhen / nRecs)
    PutText(oSum, "A6", "再抽選") : PutValue(oSum, "B6", nRelottery) : PutValue(oSum, "C6", nRelottery / nRecs)
    PutText(oSum, "A7", "連チャンの数") : PutValue(oSum, "B7", nChains)
    PutText(oSum, "A8", "平均連チャン数")
    If nChains > 0 Then PutValue(oSum, "B8", c(at + 1) / nChains)
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
        PutValue(oSum, "B" & (13 + k), c(3 + k))
        PutValue(oSum, "C" & (13 + k), nBase * dExpect)
    Next k

    PutText(oSum, "E12", "連チャン") : PutText(oSum, "F12", "回数")
    For k = 0 To MAX_CHAIN - 1
        If k < MAX_CHAIN - 1 Then PutText(oSum, "E" & (13 + k), CStr(k + 1)) Else PutText(oSum, "E" & (13 + k), (k + 1) & "-")
        PutValue(oSum, "F" & (13 + k), c(3 + BINS + k))
    Next k

    at = KIND_HITS
    PutText(oSum, "A25", "リーチ") : PutText(oSum, "B25", "信頼度") : PutText(oSum, "C25", "95%下限")
    PutText(oSum, "D25", "95%上限") : PutText(oSum, "E25", "当り") : PutText(oSum, "F25", "回数")
    PutText(oSum, "G25", "コード")
    For k = 1 To 10
        PutText(oSum, "A" & (25 + k), aKindName(k - 1))
        PutText(oSum, "G" & (25 + k), KindCodes()(k - 1))
        PutReliability(oSum, 25 + k, c(at + k - 1), c(at + 10 + k - 1))
    Next k
    at = at + 20
    PutText(oSum, "A36", "予告1(ガセ)") : PutReliability(oSum, 36, c(at), c(at + 1))
    PutText(oSum, "A37", "予告2(本物)") : PutReliability(oSum, 37, c(at + 2), c(at + 3))

    ' Shares read as percentages; counts expected by the probability and averages as decimals.
    Formatted(oDoc, oSum, "C4:C6", "0.0%")
    Formatted(oDoc, oSum, "B26:D37", "0.0%")
    Formatted(oDoc, oSum, "B8", "0.00")
    Formatted(oDoc, oSum, "C13:C23", "0.0")

    ' Right of column G, whose reach codes they covered: it ends at 17.7 cm.
    ' Only the games chart sets two series side by side (measured, expected): it alone needs a legend.
    AddChart(oSum, "GamesChart", "A12:C23", 18500, 500, "当りまでのゲーム数", True)
    AddChart(oSum, "ReliabilityChart", "A25:B35", 18500, 8000, "リーチ別の信頼度", False)
    AddChart(oSum, "ChainChart", "E12:F22", 18500, 15500, "連チャンの長さ", False)
End Sub

Private Sub Formatted(oDoc As Object, oSheet As Object, ByVal sRange As String, ByVal sFormat As String)
    Dim oFormats As Object, nKey As Long, aLocale As New com.sun.star.lang.Locale
    aLocale.Language = "en"
    aLocale.Country = "US"
    oFormats = oDoc.getNumberFormats()
    nKey = oFormats.queryKey(sFormat, aLocale, False)
    If nKey < 0 Then nKey = oFormats.addNew(sFormat, aLocale)
    oSheet.getCellRangeByName(sRange).NumberFormat = nKey
End Sub

Private Sub AddChart(oSheet As Object, ByVal sName As String, ByVal sRange As String, ByVal nX As Long, ByVal nY As Long, ByVal sTitle As String, ByVal bLegend As Boolean)
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
    oChart.HasLegend = bLegend
    ' Below the plot, where it stays in view beside the sheet's columns.
    If bLegend Then oChart.getLegend().Alignment = com.sun.star.chart.ChartLegendPosition.BOTTOM
End Sub
