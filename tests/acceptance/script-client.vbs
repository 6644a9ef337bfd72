' An administrator's check of a server, as cscript runs it: the directory
' query walked to its end, a mailbox's records, a transaction rolled back
' and the COM+ catalog, written the way scripts write them (default
' members, For Each, arguments left out or passed by reference). Each check
' prints one line, "what => value" or "what => error <number>". (The
' directory's names are shown by their mail addresses: cscript under Wine
' writes other characters in a code page of its own.)
Option Explicit
On Error Resume Next

Const kGlobalCatalog = "GC://dc1.morvane.test"
Const kMailbox = "http://ex1/exadmin/morvane.test/mbx/anna.berger@morvane.test"
Const kSubject = "urn:schemas:httpmail:subject"
Const kBody = "urn:schemas:httpmail:textdescription"
Const adModeReadWrite = 3
Const adCreateOverwrite = &H4000000

Sub Report(what, value)
    If Err.Number <> 0 Then
        WScript.Echo what & " => error " & Err.Number
        Err.Clear
    Else
        WScript.Echo what & " => " & value
    End If
End Sub

' "name=value;" of each element, as For Each walks them.
Function Walked(collection)
    Dim element
    Walked = ""
    For Each element In collection
        Walked = Walked & element.Name & "=" & element & ";"
    Next
End Function

Dim conn, cmd, rs, affected, i, v, names, people, rows
Dim store, rec, item, cat, apps, app

' The directory.
Set conn = CreateObject("ADODB.Connection")
conn.Provider = "ADsDSOObject"
conn.Open "Active Directory Provider"
Report "conn.State after Open with three arguments left out", conn.State
Set cmd = CreateObject("ADODB.Command")
Set cmd.ActiveConnection = conn
cmd.CommandText = "SELECT mail, cn FROM '" & kGlobalCatalog & "' WHERE mail='*' ORDER BY mail"
cmd.Properties("Page Size").Value = 500
Report "cmd.Properties(""Page Size"").Value = 500", cmd.Properties.Item("Page Size").Value
cmd.Properties("Page Size") = 250
Report "cmd.Properties(""Page Size"") = 250", cmd.Properties("page size")
Report "cmd.Properties(""SearchScope"") never set", cmd.Properties("SearchScope")
Report "cmd.Properties(2).Name", cmd.Properties(2).Name
Report "For Each prop In cmd.Properties", Walked(cmd.Properties)
v = cmd.Properties("Page Sise")
Report "cmd.Properties(""Page Sise"")", v
affected = 7
Set rs = cmd.Execute(affected)
Report "cmd.Execute(affected) gives affected", affected
Report "rs.Fields.Count", rs.Fields.Count
Report "rs(""mail"")", rs("mail")
Report "rs(1)", rs(1)
Report "rs.Fields(""cn"").Value", rs.Fields("cn").Value
Report "rs.Fields.Item(0).Name", rs.Fields.Item(0).Name
i = 1
Report "rs.Fields(i).Name with i = 1 by reference", rs.Fields(i).Name
Report "For Each fld In rs.Fields", Walked(rs.Fields)
people = ""
rows = 0
Do Until rs.EOF
    rows = rows + 1
    If Left(rs("mail"), 13) <> "SystemMailbox" Then people = people & rs("mail") & ";"
    rs.MoveNext
Loop
Report "rows walked to EOF", rows
Report "people walked to EOF", people
v = rs("mail")
Report "rs(""mail"") at EOF", v
v = rs.NoSuchMember
Report "rs.NoSuchMember", v
v = conn
Report "v = conn, a class without a default member", v
conn.State = 1
Report "conn.State = 1, a property only read", conn.State
v = conn.State(1)
Report "conn.State(1), an argument a value does not take", v
rs.Close
conn.Close
Report "conn.State after Close", conn.State

' The store's records.
Set store = CreateObject("ADODB.Connection")
store.Provider = "ExOLEDB.DataSource"
store.Open kMailbox
Report "store.State", store.State
item = kMailbox & "/Inbox/script.eml"
Set rec = CreateObject("ADODB.Record")
rec.Open item, store, adModeReadWrite, adCreateOverwrite
Report "rec.Open item, store, adModeReadWrite, adCreateOverwrite", rec.State
rec.Fields(kSubject) = "From a script"
rec.Fields.Item(kBody).Value = "Written through Item"
rec.Fields.Update
Report "rec.Fields.Update", "done"
rec.Close
rec.Open item, store, , , -1
Report "rec.Open item, store, , , -1 with two arguments left out between", rec.State
rec.Close
rec.Open item, store
Report "rec.Open item, store with five arguments left out", rec.State
Report "rec.Fields(kSubject)", rec.Fields(kSubject)
Report "rec.Fields.Count", rec.Fields.Count
Report "rec.Fields(1).Name", rec.Fields(1).Name
Report "For Each fld In rec.Fields", Walked(rec.Fields)
rec.Close

' A transaction rolled back.
Report "store.BeginTrans", store.BeginTrans
rec.Open item, store, adModeReadWrite
rec.Fields(kSubject) = "Changed in the transaction"
rec.Fields.Update
Report "rec.Fields(kSubject) in the transaction", rec.Fields(kSubject)
rec.Close
rec.Open item & ".new", store, adModeReadWrite, adCreateOverwrite
rec.Fields(kSubject) = "New in the transaction"
rec.Fields.Update
rec.Close
store.RollbackTrans
Report "store.RollbackTrans", "done"
rec.Open item, store
Report "rec.Fields(kSubject) after the rollback", rec.Fields(kSubject)
rec.Close
rec.Open item & ".new", store
Report "rec.Open of the item made in the transaction", rec.State
store.Close

' The COM+ catalog.
Set cat = CreateObject("COMAdmin.COMAdminCatalog")
Set apps = cat.GetCollection("Applications")
apps.Populate
Report "apps.Count", apps.Count
apps.Add.Value("Name") = "Script Check"
Set app = apps.Add
app.Value("Name") = "Second Check"
Report "apps.SaveChanges", apps.SaveChanges
apps.Populate
names = ""
For Each app In apps
    names = names & app.Value("Name") & ";"
Next
Report "For Each app In apps", names
Report "apps(1).Name", apps(1).Name
Report "apps.Item(0).Value(""Name"")", apps.Item(0).Value("Name")
v = apps(apps.Count)
Report "apps(apps.Count)", v
v = cat.NoSuchMember
Report "cat.NoSuchMember", v
