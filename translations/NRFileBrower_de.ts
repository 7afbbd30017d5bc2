<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>CFileBrower</name>
    <message>
        <source>%1 cannot be reached, so the shares it hands out cannot be listed and the selection cannot be confirmed. Check the network connection and try again, or untick it.</source>
        <translation>%1 ist nicht erreichbar, daher können seine Freigaben nicht aufgelistet und die Auswahl nicht bestätigt werden. Prüfen Sie die Netzwerkverbindung und versuchen Sie es erneut, oder entfernen Sie das Häkchen.</translation>
    </message>
</context>
<context>
    <name>CFileSystemModel</name>
    <message>
        <source>TB</source>
        <translation>TB</translation>
    </message>
    <message>
        <source>GB</source>
        <translation>GB</translation>
    </message>
    <message>
        <source>MB</source>
        <translation>MB</translation>
    </message>
    <message>
        <source>KB</source>
        <translation>KB</translation>
    </message>
    <message>
        <source>bytes</source>
        <translation>Bytes</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Type</source>
        <comment>All other platforms</comment>
        <translation>Typ</translation>
    </message>
    <message>
        <source>Date Modified</source>
        <translation>Änderungsdatum</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>Pfad</translation>
    </message>
    <message>
        <source>Capacity</source>
        <translation>Kapazität</translation>
    </message>
    <message>
        <source>Remaining space</source>
        <translation>Freier Speicher</translation>
    </message>
    <message>
        <source>My Computer</source>
        <translation>Arbeitsplatz</translation>
    </message>
</context>
<context>
    <name>CMailBackLeftTreeModel</name>
    <message>
        <source>Subject</source>
        <translation>Betreff</translation>
    </message>
    <message>
        <source>From</source>
        <translation>Von</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>Pfad</translation>
    </message>
</context>
<context>
    <name>CServerShares</name>
    <message>
        <source>Listing the shares of the selected servers...</source>
        <translation>Die Freigaben der ausgewählten Server werden aufgelistet...</translation>
    </message>
</context>
<context>
    <name>CShareLoginDialog</name>
    <message>
        <source>Connect to share</source>
        <translation>Mit Freigabe verbinden</translation>
    </message>
    <message>
        <source>Enter the user name and password for %1</source>
        <translation>Geben Sie Benutzername und Kennwort für %1 ein</translation>
    </message>
    <message>
        <source>User name:</source>
        <translation>Benutzername:</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>Kennwort:</translation>
    </message>
</context>
<context>
    <name>CShareLogins</name>
    <message>
        <source>The password is not correct. Try again.</source>
        <translation>Das Kennwort ist nicht korrekt. Versuchen Sie es erneut.</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Browse for Folder</source>
        <translation>Ordner suchen</translation>
    </message>
    <message>
        <source>File folder</source>
        <translation>Dateiordner</translation>
    </message>
    <message>
        <source>Local Disk</source>
        <translation>Lokaler Datenträger</translation>
    </message>
    <message>
        <source>System file</source>
        <translation>Systemdatei</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>Network</source>
        <translation>Netzwerk</translation>
    </message>
    <message>
        <source>NAS</source>
        <translation>NAS</translation>
    </message>
    <message>
        <source>Computer</source>
        <translation>Computer</translation>
    </message>
    <message>
        <source>Network share</source>
        <translation>Netzwerkfreigabe</translation>
    </message>
    <message>
        <source>System Folder</source>
        <translation>Systemordner</translation>
    </message>
    <message>
        <source>My Computer</source>
        <translation>Arbeitsplatz</translation>
    </message>
</context>
<context>
    <name>TreeView</name>
    <message>
        <source>TreeView</source>
        <translation>Baumansicht</translation>
    </message>
</context>
</TS>
