<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>CErrorDisplay</name>
    <message>
        <source>%1
%2</source>
        <translation>%1
%2</translation>
    </message>
    <message>
        <source>Learn more:</source>
        <translation>Mehr erfahren:</translation>
    </message>
    <message>
        <source>Failed to read configuration files.</source>
        <translation>Die Konfigurationsdateien konnten nicht gelesen werden.</translation>
    </message>
    <message>
        <source>Failed to read configuration file location.</source>
        <translation>Der Speicherort der Konfigurationsdatei konnte nicht gelesen werden.</translation>
    </message>
    <message>
        <source>Failed to read configuration file information.</source>
        <translation>Die Angaben der Konfigurationsdatei konnten nicht gelesen werden.</translation>
    </message>
    <message>
        <source>There is already a node involving this IP address.</source>
        <translation>Es gibt bereits einen Knoten mit dieser IP-Adresse.</translation>
    </message>
    <message>
        <source>Incorrect name.</source>
        <translation>Ungültiger Name.</translation>
    </message>
    <message>
        <source>Failed to transform character set.</source>
        <translation>Der Zeichensatz konnte nicht umgewandelt werden.</translation>
    </message>
    <message>
        <source>Failed to get partition information.</source>
        <translation>Die Partitionsinformationen konnten nicht ermittelt werden.</translation>
    </message>
    <message>
        <source>Please enter username with administrator privilege.</source>
        <translation>Bitte geben Sie einen Benutzernamen mit Administratorrechten ein.</translation>
    </message>
    <message>
        <source>Disk type is not supported.</source>
        <translation>Dieser Datenträgertyp wird nicht unterstützt.</translation>
    </message>
    <message>
        <source>Failed to create tree control mode.</source>
        <translation>Die Baumansicht konnte nicht erstellt werden.</translation>
    </message>
    <message>
        <source>Failed to initialize disk information.</source>
        <translation>Die Datenträgerinformationen konnten nicht initialisiert werden.</translation>
    </message>
    <message>
        <source>Incorrect group name.</source>
        <translation>Ungültiger Gruppenname.</translation>
    </message>
    <message>
        <source>Incorrect extension name.</source>
        <translation>Ungültige Dateierweiterung.</translation>
    </message>
    <message>
        <source>Please select a backup task.</source>
        <translation>Bitte wählen Sie eine Sicherungsaufgabe aus.</translation>
    </message>
    <message>
        <source>Please select file or folder to back up.</source>
        <translation>Bitte wählen Sie eine Datei oder einen Ordner zum Sichern aus.</translation>
    </message>
    <message>
        <source>Please select file type to back up.</source>
        <translation>Bitte wählen Sie einen Dateityp zum Sichern aus.</translation>
    </message>
    <message>
        <source>Cannot store the scheduled backup image file on CD/DVD.</source>
        <translation>Die geplante Sicherungs-Imagedatei kann nicht auf CD/DVD gespeichert werden.</translation>
    </message>
    <message>
        <source>Maximum 32 partitions can be supported.</source>
        <translation>Es werden höchstens 32 Partitionen unterstützt.</translation>
    </message>
    <message>
        <source>Please set at least one time for backup plan.</source>
        <translation>Bitte legen Sie mindestens einen Zeitpunkt für den Sicherungsplan fest.</translation>
    </message>
    <message>
        <source>Please set the right time for backup plan, the interval time should be less than the time difference between ending time and starting time.</source>
        <translation>Bitte legen Sie eine gültige Zeit für den Sicherungsplan fest: das Intervall muss kürzer sein als die Zeit zwischen Start- und Endzeit.</translation>
    </message>
    <message>
        <source>Please set at least one day as the time for backup plan.</source>
        <translation>Bitte legen Sie mindestens einen Tag für den Sicherungsplan fest.</translation>
    </message>
    <message>
        <source>The group name exists.</source>
        <translation>Der Gruppenname ist bereits vorhanden.</translation>
    </message>
    <message>
        <source>The extension name exists.</source>
        <translation>Die Dateierweiterung ist bereits vorhanden.</translation>
    </message>
    <message>
        <source>Cannot select an empty Exchange group.</source>
        <translation>Eine leere Exchange-Gruppe kann nicht ausgewählt werden.</translation>
    </message>
    <message>
        <source>No Exchange node selected.</source>
        <translation>Kein Exchange-Knoten ausgewählt.</translation>
    </message>
    <message>
        <source>Could not find local outlook client.</source>
        <translation>Es wurde kein lokaler Outlook-Client gefunden.</translation>
    </message>
    <message>
        <source>No backup content selected.</source>
        <translation>Kein Sicherungsinhalt ausgewählt.</translation>
    </message>
    <message>
        <source>Failed to get image file index.</source>
        <translation>Der Index der Imagedatei konnte nicht ermittelt werden.</translation>
    </message>
    <message>
        <source>The selected path is too long.</source>
        <translation>Der ausgewählte Pfad ist zu lang.</translation>
    </message>
    <message>
        <source>The selected image file does not support system recovery, please select the image file including operating system.</source>
        <translation>Die ausgewählte Imagedatei unterstützt keine Systemwiederherstellung. Bitte wählen Sie eine Imagedatei mit Betriebssystem aus.</translation>
    </message>
    <message>
        <source>Interface pointer has failed.</source>
        <translation>Der Schnittstellenzeiger ist ungültig.</translation>
    </message>
    <message>
        <source>GPT disk or partition does not support this operation.</source>
        <translation>GPT-Datenträger oder -Partitionen unterstützen diesen Vorgang nicht.</translation>
    </message>
    <message>
        <source>Invalid path, please select another path.</source>
        <translation>Ungültiger Pfad, bitte wählen Sie einen anderen Pfad.</translation>
    </message>
    <message>
        <source>You have cancelled.</source>
        <translation>Sie haben abgebrochen.</translation>
    </message>
    <message>
        <source>Member not selected.</source>
        <translation>Kein Mitglied ausgewählt.</translation>
    </message>
    <message>
        <source>Invalid path.</source>
        <translation>Ungültiger Pfad.</translation>
    </message>
    <message>
        <source>Local storage device error.</source>
        <translation>Fehler des lokalen Speichergeräts.</translation>
    </message>
    <message>
        <source>Unable to save plan or task on the storage device.</source>
        <translation>Plan oder Aufgabe kann nicht auf dem Speichergerät gespeichert werden.</translation>
    </message>
    <message>
        <source>Backup type is unknown.</source>
        <translation>Der Sicherungstyp ist unbekannt.</translation>
    </message>
    <message>
        <source>Interval time is invalid.</source>
        <translation>Das Intervall ist ungültig.</translation>
    </message>
    <message>
        <source>Invalid path. Please select another path.</source>
        <translation>Ungültiger Pfad. Bitte wählen Sie einen anderen Pfad.</translation>
    </message>
</context>
<context>
    <name>CFileBackupLogicMgr</name>
    <message>
        <source>File Backup</source>
        <translation>Dateisicherung</translation>
    </message>
    <message>
        <source>Smart Backup</source>
        <translation>Intelligente Sicherung</translation>
    </message>
</context>
<context>
    <name>CFileBackupPage</name>
    <message>
        <source>FileBackup</source>
        <translation>Dateisicherung</translation>
    </message>
</context>
<context>
    <name>CFileBackupUI</name>
    <message>
        <source>Goto...</source>
        <translation>Gehe zu...</translation>
    </message>
    <message>
        <source>Error code 0x%1.</source>
        <translation>Fehlercode 0x%1.</translation>
    </message>
    <message>
        <source>Cannot go to %1. %2</source>
        <translation>%1 kann nicht geöffnet werden. %2</translation>
    </message>
    <message>
        <source>Cannot find specified folder. Do you want to create this folder?</source>
        <translation>Der angegebene Ordner wurde nicht gefunden. Möchten Sie diesen Ordner erstellen?</translation>
    </message>
    <message>
        <source>Question</source>
        <translation>Frage</translation>
    </message>
    <message>
        <source>Loading</source>
        <translation>Wird geladen</translation>
    </message>
    <message>
        <source>The folder %1 was not found.</source>
        <translation>Der Ordner %1 wurde nicht gefunden.</translation>
    </message>
    <message>
        <source>The folder %1 did not finish loading in time.</source>
        <translation>Der Ordner %1 wurde nicht rechtzeitig fertig geladen.</translation>
    </message>
</context>
<context>
    <name>CFileRecoveryLogicMgr</name>
    <message>
        <source>The input contains illegal characters.</source>
        <translation>Die Eingabe enthält unzulässige Zeichen.</translation>
    </message>
    <message>
        <source>Waiting...</source>
        <translation>Bitte warten...</translation>
    </message>
    <message>
        <source>Please select files or folders to recover.</source>
        <translation>Bitte wählen Sie Dateien oder Ordner zum Wiederherstellen aus.</translation>
    </message>
    <message>
        <source>Select files to recover</source>
        <translation>Dateien zum Wiederherstellen auswählen</translation>
    </message>
    <message>
        <source>GenerateFilter failed! </source>
        <translation>Der Filter konnte nicht erzeugt werden! </translation>
    </message>
    <message>
        <source>GenerateFilter Buffer Length is 0 </source>
        <translation>Der erzeugte Filter ist leer </translation>
    </message>
</context>
<context>
    <name>CFileRecoveryUI</name>
    <message>
        <source>Current folder</source>
        <translation>Aktueller Ordner</translation>
    </message>
    <message>
        <source>All folder</source>
        <translation>Alle Ordner</translation>
    </message>
    <message>
        <source>Search in the current directory</source>
        <translation>Im aktuellen Ordner suchen</translation>
    </message>
    <message>
        <source>The backup image holds no files or folders.</source>
        <translation>Das Sicherungs-Image enthält keine Dateien oder Ordner.</translation>
    </message>
    <message>
        <source>The backup image cannot be found or opened.</source>
        <translation>Das Sicherungs-Image wurde nicht gefunden oder kann nicht geöffnet werden.</translation>
    </message>
    <message>
        <source>The backup image cannot be read: access is denied.</source>
        <translation>Das Sicherungs-Image kann nicht gelesen werden: Zugriff verweigert.</translation>
    </message>
    <message>
        <source>The file is not a backup image.</source>
        <translation>Die Datei ist kein Sicherungs-Image.</translation>
    </message>
    <message>
        <source>The backup image is damaged.</source>
        <translation>Das Sicherungs-Image ist beschädigt.</translation>
    </message>
    <message>
        <source>The backup image is incomplete.</source>
        <translation>Das Sicherungs-Image ist unvollständig.</translation>
    </message>
    <message>
        <source>The backup image is too large to browse.</source>
        <translation>Das Sicherungs-Image ist zu groß zum Durchsuchen.</translation>
    </message>
    <message>
        <source>The backup image cannot be browsed.</source>
        <translation>Das Sicherungs-Image kann nicht durchsucht werden.</translation>
    </message>
    <message>
        <source>%1
Error code: 0x%2</source>
        <translation>%1
Fehlercode: 0x%2</translation>
    </message>
    <message>
        <source>Search for all backups</source>
        <translation>In allen Sicherungen suchen</translation>
    </message>
</context>
<context>
    <name>CSmartFilterPage</name>
    <message>
        <source>Smart Filter</source>
        <translation>Intelligenter Filter</translation>
    </message>
    <message>
        <source>Continue</source>
        <translation>Weiter</translation>
    </message>
    <message>
        <source>Smart backup doest not support the files in network path,and the following files will be excluded:</source>
        <translation>Die intelligente Sicherung unterstützt keine Dateien in Netzwerkpfaden; die folgenden Dateien werden ausgeschlossen:</translation>
    </message>
</context>
<context>
    <name>CStoragePath</name>
    <message>
        <source>Security Partition</source>
        <translation>Sicherheitspartition</translation>
    </message>
</context>
</TS>
