#!/usr/bin/env python3
"""Writes the two language tables resources/TEXTSTRINGTABLE/LANGUAGE_EN.tbl and LANGUAGE_DE.tbl.

The tables are what the program embeds and loads: Windows-1252 bytes, a key line and a value
line per text, every line ended by CR LF, both tables with the same keys in the same order.
This file is their readable source. To add or change a text, edit TEXTS below and run

    python3 resources/tools/language_tables.py          # rewrite both tables
    python3 resources/tools/language_tables.py --check  # only tell whether they are current

Texts are written here exactly as they go into the table: "\\n" is the table's two-character
line-break escape (keep the strings raw), "&" marks an accelerator, leading and trailing
blanks count. Every character must exist in Windows-1252.
"""

import pathlib
import re
import sys

COMPANY = "Wendmark"
APPNAME = "Tracklace"
COPYRIGHT = "Copyright © 2026 Wendmark"

# (key, English text, German text), in table order.
TEXTS = [
    # Common texts.
    ("IDS_COMPANY", COMPANY, COMPANY),
    ("IDS_APPNAME_FULL", APPNAME, APPNAME),
    ("IDS_APPNAME_SHORT", APPNAME, APPNAME),
    ("IDS_APPNAME_TINY", APPNAME, APPNAME),
    ("IDS_VERSION", r"Version", r"Version"),
    ("IDS_COPYRIGHT", COPYRIGHT, COPYRIGHT),
    ("IDS_ALL_RIGHTS_RESERVED", r"All rights reserved.", r"Alle Rechte vorbehalten."),
    ("IDS_LANGUAGE_DE", r"German", r"deutsch"),
    ("IDS_LANGUAGE_EN", r"English", r"englisch"),
    ("IDS_OK", r"&Ok", r"&Ok"),
    ("IDS_CANCEL", r"&Cancel", r"&Abbrechen"),
    ("IDS_NEXT", r"&Next >", r"&Weiter >"),
    ("IDS_BACK", r"< &Back", r"< &Zurück"),
    ("IDS_ADD", r"&Add", r"&Hinzufügen"),
    ("IDS_ADD_ARROW_LEFT", r"< &Add", r"< &Hinzufügen"),
    ("IDS_ADD_ARROW_RIGHT", r"&Add >", r"&Hinzufügen >"),
    ("IDS_REMOVE", r"&Remove", r"&Entfernen"),
    ("IDS_REMOVE_ARROW_LEFT", r"< &Remove", r"< &Entfernen"),
    ("IDS_REMOVE_ARROW_RIGHT", r"&Remove >", r"&Entfernen >"),
    ("IDS_DELETE", r"&Delete...", r"&Löschen..."),
    ("IDS_YES", r"&Yes", r"&Ja"),
    ("IDS_YES_TO_ALL", r"All Yes", r"Alle Ja"),
    ("IDS_NO", r"&No", r"&Nein"),
    ("IDS_NO_TO_ALL", r"All No", r"Alle Nein"),
    ("IDS_HELP", r"Help", r"Hilfe"),
    ("IDS_NEW", r"&New...", r"&Neu..."),
    ("IDS_APPLY", r"A&pply", r"&Übernehmen"),
    ("IDS_MB_CAPTION_ATTENTION", r"Attention", r"Achtung"),
    ("IDS_MB_CAPTION_WARNING", r"Warning", r"Warnung"),
    ("IDS_MB_CAPTION_ERROR", r"Error", r"Fehler"),
    ("IDS_MB_CAPTION_INFO", r"Info", r"Hinweis"),
    ("IDS_MB_CAPTION_QUESTION", r"Question", r"Frage"),
    # Main dialog.
    ("IDS_TL_GB_PLAYLIST_CONTENT", r"Playlist Content:", r"Playlist-Inhalt:"),
    ("IDS_TL_GB_PLAYLIST_CREATION", r"Playlist Creation:", r"Playlist-Erstellung:"),
    ("IDS_TL_PLAYLIST_CONTENT_INFO",
     r"Add the desired files by clicking on the buttons on the right side or by using Drag and Drop from the file manager:",
     r"Fügen Sie die gewünschten Dateien über die Schaltflächen auf der rechten Seite oder per Drag and Drop aus dem Dateimanager hinzu:"),
    ("IDS_TL_PLAYLIST_NAME_AND_TYPE", r"Name and type:", r"Name und Typ:"),
    ("IDS_TL_LIST_PLAYLIST_CONTENT_TRACK", r"#", r"#"),
    ("IDS_TL_LIST_PLAYLIST_CONTENT_NAME", r"File Name", r"Dateiname"),
    ("IDS_TL_LIST_PLAYLIST_CONTENT_TYPE", r"Type", r"Typ"),
    ("IDS_TL_BTN_BROWSE_FOR_SONG_FOLDER", r"Add folder", r"Ordner hinzufügen"),
    ("IDS_TL_BTN_BROWSE_FOR_SONG", r"Add files", r"Dateien hinzufügen"),
    ("IDS_TL_BTN_MOVE_ITEM_UP", r"Move up", r"Nach oben"),
    ("IDS_TL_BTN_MOVE_ITEM_DOWN", r"Move down", r"Nach unten"),
    ("IDS_TL_BTN_DELETE_ITEM", r"Remove item", r"Eintrag entfernen"),
    ("IDS_TL_BTN_DELETE_ALL_ITEMS", r"Remove all items", r"Alle Einträge entfernen"),
    ("IDS_TL_BTN_TAKEOVER_SONG_FOLDER", r"Set as playlist save location",
     r"Als Speicherort der Playlist übernehmen"),
    ("IDS_TL_BTN_BROWSE_FOR_PLAYLIST_FOLDER", r"Select save location", r"Speicherort auswählen"),
    ("IDS_TL_BTN_CREATE_PLAYLIST", r"&Create Playlist", r"Playlist &erstellen"),
    ("IDS_TL_SELECT_PLAYLIST_SAVE_LOCATION", r"Save location:", r"Speicherort:"),
    ("IDS_TL_SELECT_FOLDER_TITLE", r"Select folder", r"Ordner auswählen"),
    ("IDS_TL_SELECT_FILES_TITLE", r"Select files", r"Dateien auswählen"),
    ("IDS_TL_SELECT_SONG_FOLDER_INFO",
     r"Please select the folder which you want to add to the playlist:",
     r"Bitte wählen Sie den Ordner aus, den Sie der Playlist hinzufügen möchten:"),
    ("IDS_TL_SELECT_PLAYLIST_FOLDER_INFO", r"Please select the playlist save location:",
     r"Bitte wählen Sie den Speicherort der Playlist aus:"),
    ("IDS_TL_TOOLBAR_MAIN_DIALOG_SETTINGS", r" &Settings  ", r" Ein&stellungen  "),
    ("IDS_TL_TOOLBAR_MAIN_DIALOG_HELP", r" &Help  ", r" &Hilfe  "),
    ("IDS_TL_TOOLBAR_MAIN_DIALOG_ABOUT", r" &About  ", r" Ü&ber  "),
    ("IDS_TL_FILES", r"Files", r"Dateien"),
    ("IDS_TL_ALL_FILES", r"All files", r"Alle Dateien"),
    # The window menu's about entry (the program's string 101), offered on the toolbar band.
    ("IDS_ABOUTBOX", r"&About Tracklace 3...", r"Ü&ber Tracklace 3..."),
    # Settings sheet.
    ("IDS_TL_PROPSHEET_SETTINGS_TITLE", r"Settings", r"Einstellungen"),
    ("IDS_TL_PROPPAGE_GENERAL_SETTINGS_TITLE", r"General Settings", r"Allgemeine Einstellungen"),
    ("IDS_TL_PROPPAGE_PLAYLIST_TITLE", r"Playlist Details", r"Playlist-Details"),
    ("IDS_TL_PROPPAGE_FILE_TYPES_TITLE", r"File Types", r"Dateitypen"),
    ("IDS_TL_PROPPAGE_MP3_TITLE", r"MP3", r"MP3"),
    # General settings page.
    ("IDS_TL_SETTINGS_GENERAL_LANGUAGE_SEPARATOR", r"Language", r"Sprache"),
    ("IDS_TL_SETTINGS_GENERAL_LANGUAGE_INFO",
     r"Here you can select the desired language. After the language was changed the application has to be restarted.",
     r"Hier können Sie die gewünschte Sprache auswählen. Nach einem Wechsel der Sprache muss die Anwendung neu gestartet werden."),
    ("IDS_TL_SETTINGS_GENERAL_LANGUAGE_DE", r"german", r"deutsch"),
    ("IDS_TL_SETTINGS_GENERAL_LANGUAGE_EN", r"english", r"englisch"),
    ("IDS_TL_SETTINGS_GENERAL_MISC_SEPARATOR", r"Miscellaneous", r"Sonstiges"),
    ("IDS_TL_SETTINGS_GENERAL_TRANSPARENCY",
     r"Turn main window semi-transparent if unfocused (needs a compositing desktop)",
     r"Hauptfenster halbtransparent darstellen, wenn es nicht aktiv ist (mit Compositing)"),
    ("IDS_TL_SETTINGS_GENERAL_SINGLE_INSTANCE", r"Allow only one instance of the program running",
     r"Nur eine laufende Instanz des Programms zulassen"),
    ("IDS_TL_SETTINGS_GENERAL_PLAY_SOUND", r"Play sound", r"Klänge abspielen"),
    ("IDS_TL_SETTINGS_GENERAL_RESET_SETTINGS_SEPARATOR", r"Reset Settings",
     r"Einstellungen zurücksetzen"),
    ("IDS_TL_SETTINGS_GENERAL_RESET_SETTINGS_INFO",
     r"By clicking on the button below you can reset all settings to the state when the program was installed. Attention - all personal settings will be lost!",
     r"Mit einem Klick auf die Schaltfläche unten können Sie alle Einstellungen auf den Stand nach der Installation des Programms zurücksetzen. Achtung - alle persönlichen Einstellungen gehen dabei verloren!"),
    ("IDS_TL_SETTINGS_GENERAL_BTN_RESET_SETTINGS", r"&Reset Settings...",
     r"Einstellungen &zurücksetzen..."),
    # Playlist settings page.
    ("IDS_TL_SETTINGS_PLAYLIST_NEW_ENTRIES_SEPARATOR", r"Adding new Playlist Entries",
     r"Neue Playlist-Einträge hinzufügen"),
    ("IDS_TL_SETTINGS_PLAYLIST_NEW_ENTRIES_INFO",
     r"Specify where new playlist entries are inserted into the list. This setting will also be applied for entries that are added to the playlist using drag and drop.",
     r"Legen Sie fest, an welcher Stelle neue Playlist-Einträge in die Liste eingefügt werden. Diese Einstellung gilt auch für Einträge, die per Drag and Drop zur Playlist hinzugefügt werden."),
    ("IDS_TL_SETTINGS_PLAYLIST_NEW_ENTRIES_TOP", r"Insert at the beginning of the list",
     r"Am Anfang der Liste einfügen"),
    ("IDS_TL_SETTINGS_PLAYLIST_NEW_ENTRIES_BEFORESEL",
     r"Insert before the selected entry (if no entry is selected insert at the end)",
     r"Vor dem ausgewählten Eintrag einfügen (ist kein Eintrag ausgewählt, am Ende einfügen)"),
    ("IDS_TL_SETTINGS_PLAYLIST_NEW_ENTRIES_AFTERSEL",
     r"Insert after the selected entry (if no entry is selected insert at the end)",
     r"Nach dem ausgewählten Eintrag einfügen (ist kein Eintrag ausgewählt, am Ende einfügen)"),
    ("IDS_TL_SETTINGS_PLAYLIST_NEW_ENTRIES_BOTTOM", r"Insert at the end of the list",
     r"Am Ende der Liste einfügen"),
    ("IDS_TL_SETTINGS_PLAYLIST_SAVE_MODE_SEPARATOR", r"Saving Playlist Entries",
     r"Speichern der Playlist-Einträge"),
    ("IDS_TL_SETTINGS_PLAYLIST_SAVE_MODE_ABSOLUTE",
     r'Save playlist entries absolute (e.g. "/home/user/Music/Song1.mp3")',
     r'Playlist-Einträge absolut speichern (z.B. "/home/user/Music/Song1.mp3")'),
    ("IDS_TL_SETTINGS_PLAYLIST_SAVE_MODE_RELATIVE",
     r'Save playlist entries relative (e.g. "../Music/Song1.mp3")',
     r'Playlist-Einträge relativ speichern (z.B. "../Music/Song1.mp3")'),
    ("IDS_TL_SETTINGS_PLAYLIST_MISC_SEPARATOR", r"Miscellaneous", r"Sonstiges"),
    ("IDS_TL_SETTINGS_PLAYLIST_MISC_AUTO_NAME",
     r"Set the playlist name to the name of the folder that was added at last",
     r"Den Namen der Playlist auf den Namen des zuletzt hinzugefügten Ordners setzen"),
    ("IDS_TL_SETTINGS_PLAYLIST_MISC_AUTO_FOLDER",
     r"Set the playlist save location to the folder that was added at last",
     r"Den Speicherort der Playlist auf den zuletzt hinzugefügten Ordner setzen"),
    # File types settings page.
    ("IDS_TL_SETTINGS_FILE_TYPES_SEPARATOR", r"Choose Active File Types",
     r"Aktive Dateitypen auswählen"),
    ("IDS_TL_SETTINGS_FILE_TYPES_INFO",
     r'All file types that are in the list of the active file types can be added to the playlist. If you miss a certain file type just enter it in the text box and hit the "New..." button.',
     r'Alle Dateitypen in der Liste der aktiven Dateitypen können der Playlist hinzugefügt werden. Fehlt Ihnen ein bestimmter Dateityp, geben Sie ihn einfach in das Textfeld ein und klicken Sie auf die Schaltfläche "Neu...".'),
    ("IDS_TL_SETTINGS_FILE_TYPES_ACTIVE", r"Active file types:", r"Aktive Dateitypen:"),
    ("IDS_TL_SETTINGS_FILE_TYPES_INACTIVE", r"Inactive file types:", r"Inaktive Dateitypen:"),
    ("IDS_TL_SETTINGS_FILE_TYPES_NEW_TITLE", r"Create new file type:", r"Neuen Dateityp anlegen:"),
    ("IDS_TL_SETTINGS_FILE_TYPES_DELETE_TITLE", r"Delete file type:", r"Dateityp löschen:"),
    # MP3 settings page.
    ("IDS_TL_SETTINGS_MP3_ID3TAGS_SEPARATOR", r"Readout of ID3Tags", r"Auslesen der ID3-Tags"),
    ("IDS_TL_SETTINGS_MP3_ID3TAGS_INFO",
     r"Activate this option if you want the program to readout the ID3Tags of MP3-files. Only if this option is activated the title format will be processed.",
     r"Aktivieren Sie diese Option, wenn das Programm die ID3-Tags von MP3-Dateien auslesen soll. Nur wenn diese Option aktiviert ist, wird das Titelformat angewendet."),
    ("IDS_TL_SETTINGS_MP3_READ_ID3TAGS", r"Get data from ID3v1 and ID3v2 tags (slow)",
     r"Daten aus ID3v1- und ID3v2-Tags lesen (langsam)"),
    ("IDS_TL_SETTINGS_MP3_TITLE_FORMAT_SEPARATOR", r"Title Format", r"Titelformat"),
    ("IDS_TL_SETTINGS_MP3_TITLE_MASK_INFO",
     r"If readout of ID3Tags is activated enter the desired title format below. You may enter any text or create dynamic titles using the title variables.",
     r"Wenn das Auslesen der ID3-Tags aktiviert ist, geben Sie unten das gewünschte Titelformat ein. Sie können beliebigen Text eingeben oder mit den Titelvariablen dynamische Titel erzeugen."),
    ("IDS_TL_SETTINGS_MP3_TITLE_MASK", r"Title mask:", r"Titelmaske:"),
    ("IDS_TL_SETTINGS_MP3_TITLE_MASK_PREVIEW", r"Result preview:", r"Vorschau des Ergebnisses:"),
    ("IDS_TL_SETTINGS_MP3_TITLE_VARIABLES", r"Title variables:", r"Titelvariablen:"),
    ("IDS_TL_SETTINGS_MP3_VARIABLE_ARTIST", r"Artist", r"Interpret"),
    ("IDS_TL_SETTINGS_MP3_VARIABLE_TITLE", r"Title", r"Titel"),
    ("IDS_TL_SETTINGS_MP3_VARIABLE_ALBUM", r"Album", r"Album"),
    ("IDS_TL_SETTINGS_MP3_VARIABLE_YEAR", r"Year", r"Jahr"),
    ("IDS_TL_SETTINGS_MP3_VARIABLE_GENRE", r"Genre", r"Genre"),
    ("IDS_TL_SETTINGS_MP3_VARIABLE_TRACK", r"Track #", r"Lied #"),
    ("IDS_TL_SETTINGS_MP3_VARIABLE_SAMPLE_TITLE", r"Example:", r"Beispiel:"),
    ("IDS_TL_SETTINGS_MP3_VARIABLE_SAMPLE", r"%3 - %6 %2  =  <Album> - <Track #> <Title>",
     r"%3 - %6 %2  =  <Album> - <Lied #> <Titel>"),
    # Creation progress dialog and creation job.
    ("IDS_TL_CREATE_PLAYLIST_TITLE", r"Creating the playlist", r"Erstellen der Playlist"),
    ("IDS_TL_CREATE_PLAYLIST_DETAIL_TITLE", r"The playlist you assembled will now be created",
     r"Die von Ihnen zusammengestellte Playlist wird jetzt erstellt"),
    ("IDS_TL_CREATE_PLAYLIST_CONTENT",
     r"Depending on the size of the playlist this process can vary from a few seconds to some minutes. Please wait...",
     r"Je nach Größe der Playlist kann dieser Vorgang zwischen wenigen Sekunden und einigen Minuten dauern. Bitte warten..."),
    ("IDS_TL_CREATE_PLAYLIST_STATUS_TITLE", r"Status of the creation:", r"Status der Erstellung:"),
    ("IDS_TL_CREATE_PLAYLIST_STEP_PREPARE", r"Last preparations are done",
     r"Letzte Vorbereitungen werden getroffen"),
    ("IDS_TL_CREATE_PLAYLIST_STEP_CREATE", r"Creating the playlist", r"Die Playlist wird erstellt"),
    ("IDS_TL_CREATE_PLAYLIST_STEP_FINISH", r"Finishing the creation of the playlist",
     r"Die Erstellung der Playlist wird abgeschlossen"),
    ("IDS_TL_CREATE_PLAYLIST_PROGRESS_INFO_PREPARE", r"Last preparations are done",
     r"Letzte Vorbereitungen werden getroffen"),
    ("IDS_TL_CREATE_PLAYLIST_PROGRESS_INFO_CREATE", r"<NUMBER/> of <TOTAL/> files processed",
     r"<NUMBER/> von <TOTAL/> Dateien verarbeitet"),
    ("IDS_TL_CREATE_PLAYLIST_PROGRESS_INFO_FINISH", r"Completing the creation of the playlist",
     r"Die Erstellung der Playlist wird abgeschlossen"),
    ("IDS_TL_CREATE_PLAYLIST_PROGRESS_INFO_COMPLETED", r"Playlist was created successfully",
     r"Die Playlist wurde erfolgreich erstellt"),
    ("IDS_TL_PLAYLIST_CREATION_CANCELLED", r"The creation of the playlist was cancelled",
     r"Die Erstellung der Playlist wurde abgebrochen"),
    # Message box texts.
    ("IDS_TL_MB_CANCEL_PLAYLIST_CREATION",
     r"Do you really want to cancel the creation of the playlist?",
     r"Möchten Sie die Erstellung der Playlist wirklich abbrechen?"),
    ("IDS_TL_MB_DELETE_ALL_ITEMS",
     r"Do you really want to remove all items from the playlist?\n\nAttention: This operation cannot be undone!",
     r"Möchten Sie wirklich alle Einträge aus der Playlist entfernen?\n\nAchtung: Dieser Vorgang kann nicht rückgängig gemacht werden!"),
    ("IDS_TL_MB_EMPTY_PLAYLIST",
     r"The playlist is currently empty.\n\nPlease add at least one entry to the playlist.",
     r"Die Playlist ist zurzeit leer.\n\nBitte fügen Sie der Playlist mindestens einen Eintrag hinzu."),
    ("IDS_TL_MB_EMPTY_PLAYLIST_FOLDER", r"Please select a save location for the playlist.",
     r"Bitte wählen Sie einen Speicherort für die Playlist aus."),
    ("IDS_TL_MB_EMPTY_PLAYLIST_NAME", r"Please enter a name for the playlist.",
     r"Bitte geben Sie einen Namen für die Playlist ein."),
    ("IDS_TL_MB_INVALID_PLAYLIST_NAME",
     r'The name of the playlist contains invalid characters.\n\nYou cannot use the following characters: \ / : * ? " < > |',
     r'Der Name der Playlist enthält ungültige Zeichen.\n\nFolgende Zeichen dürfen nicht verwendet werden: \ / : * ? " < > |'),
    ("IDS_TL_MB_PLAYLIST_FOLDER_DOES_NOT_EXIST",
     r'''The folder "<FOLDER/>" that was\nselected as playlist save location does not exist.\n\nDo you want to create this folder?\n\nClick 'Yes' to continue or 'No' to select another playlist save location.''',
     r'''Der Ordner "<FOLDER/>", der als\nSpeicherort der Playlist ausgewählt wurde, ist nicht vorhanden.\n\nMöchten Sie diesen Ordner anlegen?\n\nKlicken Sie auf 'Ja', um fortzufahren, oder auf 'Nein', um einen anderen Speicherort für die Playlist auszuwählen.'''),
    ("IDS_TL_MB_PLAYLIST_ALREADY_EXISTS",
     r'The file "<FILEPATH/>" already exists.\n\nDo you want to overwrite this file?',
     r'Die Datei "<FILEPATH/>" ist bereits vorhanden.\n\nMöchten Sie diese Datei überschreiben?'),
    ("IDS_TL_MB_RESTART_LANGUAGE_CHANGED",
     r"The language of the application was changed from <LNG_BEFORE/> to <LNG_AFTER/>.\nTo activate the selected language the application has to be restarted.\n\nDo you want to restart the application now?",
     r"Die Sprache der Anwendung wurde von <LNG_BEFORE/> auf <LNG_AFTER/> geändert.\nUm zur ausgewählten Sprache umzuschalten muss die Anwendung neu gestartet werden.\n\nMöchten Sie die Anwendung jetzt neu starten?"),
    ("IDS_TL_MB_RESET_SETTINGS",
     r"Do you really want to reset all settings?\n\nAttention: You will lose all your personal settings!",
     r"Möchten Sie wirklich alle Einstellungen zurücksetzen?\n\nAchtung: Dabei gehen alle Ihre persönlichen Einstellungen verloren!"),
    ("IDS_TL_MB_ERR_NO_ACTIVE_FILE_TYPES",
     r'You cannot add any file to the playlist because there is\nno active file type selected.\n\nPlease add at least one active file type to the list\nat "Settings >> File Types".',
     r'Der Playlist können keine Dateien hinzugefügt werden, da keine aktiven\nDateitypen ausgewählt sind.\n\nBitte fügen Sie den aktiven Dateitypen unter "Einstellungen >> Dateitypen"\nmindestens einen Eintrag hinzu.'),
    ("IDS_TL_MB_LAST_ACTIVE_FILE_TYPE_REMOVED",
     r"If there are no active file types you will not be able to add\nanymore files to the playlist.\n\nPlease add at least one entry to the list of active file types.",
     r"Ohne aktive Dateitypen können der Playlist keine\nweiteren Dateien hinzugefügt werden.\n\nBitte fügen Sie der Liste der aktiven Dateitypen mindestens einen Eintrag hinzu."),
    ("IDS_TL_MB_ERR_EMPTY_NEW_FILE_TYPE",
     r"Please enter the name of the file type\nyou want to add to the list.",
     r"Bitte geben Sie den Namen des Dateityps ein,\nden Sie der Liste hinzufügen möchten."),
    ("IDS_TL_MB_ERR_INVALID_FILE_TYPE",
     r'The file type you entered contains invalid characters.\n\nYou cannot use the following characters: \ / . : * ? " < > |',
     r'Der eingegebene Dateityp enthält ungültige Zeichen.\n\nFolgende Zeichen dürfen nicht verwendet werden: \ / . : * ? " < > |'),
    ("IDS_TL_MB_ERR_FILE_TYPE_EXISTS", r"The file type you entered already exists.",
     r"Der eingegebene Dateityp ist bereits vorhanden."),
    ("IDS_TL_MB_ERR_NO_FILE_TYPE_SELECTED",
     r"Please select the inactive file type you want\nto delete from the list.",
     r"Bitte wählen Sie den inaktiven Dateityp aus,\nden Sie aus der Liste löschen möchten."),
    ("IDS_TL_MB_ERR_CREATE_PLAYLIST", r"An error occured while creating the playlist.",
     r"Beim Erstellen der Playlist ist ein Fehler aufgetreten."),
    ("IDS_TL_MB_ERR_INVALID_PLAYLIST_FORMAT",
     r"An invalid playlist format was detected.\n\nPlease restart the application and repeat the operation.",
     r"Es wurde ein ungültiges Playlist-Format erkannt.\n\nBitte starten Sie die Anwendung neu und wiederholen Sie den Vorgang."),
    ("IDS_TL_MB_ERR_CREATE_PLAYLIST_FOLDER",
     r"The playlist folder could not be created.\n\nPlease close all other applications and repeat the operation.",
     r"Der Ordner der Playlist konnte nicht angelegt werden.\n\nBitte schließen Sie alle anderen Anwendungen und wiederholen Sie den Vorgang."),
    ("IDS_TL_MB_ERR_OPEN_PLAYLIST_FILE",
     r"The playlist file could not be created.\n\nPlease close all other applications and repeat the operation.",
     r"Die Playlist-Datei konnte nicht angelegt werden.\n\nBitte schließen Sie alle anderen Anwendungen und wiederholen Sie den Vorgang."),
    ("IDS_TL_MB_ERR_WRITE_PLAYLIST_FILE",
     r"The playlist file could not be written completely.\n\nPlease check that there is enough free space on the medium and repeat the operation.",
     r"Die Playlist-Datei konnte nicht vollständig geschrieben werden.\n\nBitte prüfen Sie, ob auf dem Datenträger genügend freier Speicherplatz vorhanden ist, und wiederholen Sie den Vorgang."),
    ("IDS_TL_MB_ERR_INVALID_ENTRY_PATH",
     r"The entry <FILEPATH/> holds a line break in its path or title and cannot be written to a playlist.\n\nPlease rename the file or correct its tag and repeat the operation.",
     r"Der Eintrag <FILEPATH/> enthält einen Zeilenumbruch in Pfad oder Titel und kann nicht in eine Playlist geschrieben werden.\n\nBitte benennen Sie die Datei um oder korrigieren Sie ihren Tag und wiederholen Sie den Vorgang."),
    # The settings file, when a start found it unusable.
    ("IDS_TL_MB_SETTINGS_FILE_DAMAGED",
     r"The settings file\n<FILEPATH/>\ncould not be read, so Tracklace starts with its default settings.\n\nThe damaged file was kept as\n<COPYPATH/>",
     r"Die Einstellungsdatei\n<FILEPATH/>\nkonnte nicht gelesen werden. Tracklace startet deshalb mit den Standardeinstellungen.\n\nDie beschädigte Datei wurde unter\n<COPYPATH/>\naufbewahrt."),
    ("IDS_TL_MB_SETTINGS_FILE_CONVERTED",
     r"The settings file\n<FILEPATH/>\nwas exported from the Windows registry. Your settings have been taken over from it.\n\nThe original file was kept as\n<COPYPATH/>",
     r"Die Einstellungsdatei\n<FILEPATH/>\nwurde aus der Windows-Registrierung exportiert. Ihre Einstellungen wurden daraus übernommen.\n\nDie ursprüngliche Datei wurde unter\n<COPYPATH/>\naufbewahrt."),
    ("IDS_TL_MB_SETTINGS_FILE_UNREADABLE",
     r"The settings file\n<FILEPATH/>\ncannot be read. Tracklace works with its default settings and cannot save any changes.\n\nPlease check that this is a file you may read and write.",
     r"Die Einstellungsdatei\n<FILEPATH/>\nkann nicht gelesen werden. Tracklace arbeitet mit den Standardeinstellungen und kann keine Änderungen speichern.\n\nBitte prüfen Sie, ob es sich um eine Datei handelt, die Sie lesen und schreiben dürfen."),
    # Reading existing playlists: why one is refused, and what a user is told about the
    # entries (the warnings stand alone or follow the line prefix).
    ("IDS_TL_MB_ERR_READ_PLAYLIST", r'The playlist "<FILEPATH/>" could not be read.',
     r'Die Playlist "<FILEPATH/>" konnte nicht gelesen werden.'),
    ("IDS_TL_MB_ERR_READ_PLAYLIST_TOO_LARGE",
     r'The playlist "<FILEPATH/>" is larger than 64 MiB and was not opened.',
     r'Die Playlist "<FILEPATH/>" ist größer als 64 MiB und wurde nicht geöffnet.'),
    ("IDS_TL_MB_ERR_READ_PLAYLIST_LINE_TOO_LONG",
     r'Line <LINE/> of the playlist "<FILEPATH/>" is longer than 64 KiB; the playlist was not opened.',
     r'Zeile <LINE/> der Playlist "<FILEPATH/>" ist länger als 64 KiB; die Playlist wurde nicht geöffnet.'),
    ("IDS_TL_MB_ERR_READ_PLAYLIST_TOO_MANY_ENTRIES",
     r'The playlist "<FILEPATH/>" holds more than 1,000,000 entries and was not opened.',
     r'Die Playlist "<FILEPATH/>" enthält mehr als 1.000.000 Einträge und wurde nicht geöffnet.'),
    ("IDS_TL_MB_ERR_READ_PLAYLIST_UNKNOWN_TYPE",
     r'The file "<FILEPATH/>" is not a playlist of a known type (M3U, M3U8, PLS, XSPF).',
     r'Die Datei "<FILEPATH/>" ist keine Playlist eines bekannten Typs (M3U, M3U8, PLS, XSPF).'),
    ("IDS_TL_MB_ERR_READ_PLAYLIST_WRONG_CONTENT",
     r'The file "<FILEPATH/>" has the extension of a <FORMAT/> playlist but does not hold one.',
     r'Die Datei "<FILEPATH/>" hat die Endung einer <FORMAT/>-Playlist, enthält aber keine.'),
    ("IDS_TL_MB_ERR_READ_PLAYLIST_XML",
     r'The XSPF playlist "<FILEPATH/>" is not valid XML (line <LINE/>) and was not opened.',
     r'Die XSPF-Playlist "<FILEPATH/>" ist kein gültiges XML (Zeile <LINE/>) und wurde nicht geöffnet.'),
    ("IDS_TL_READ_PLAYLIST_LINE", r"Line <LINE/>: <TEXT/>", r"Zeile <LINE/>: <TEXT/>"),
    ("IDS_TL_READ_PLAYLIST_WARN_URL",
     r"<ENTRY/> is an internet address, not a file on this computer; the entry was left out.",
     r"<ENTRY/> ist eine Internetadresse und keine Datei auf diesem Computer; der Eintrag wurde ausgelassen."),
    ("IDS_TL_READ_PLAYLIST_WARN_WINDOWS_PATH",
     r"<ENTRY/> is a Windows path (drive letter or network share) that does not exist here; the entry was left out.",
     r"<ENTRY/> ist ein Windows-Pfad (Laufwerksbuchstabe oder Netzwerkfreigabe), den es hier nicht gibt; der Eintrag wurde ausgelassen."),
    ("IDS_TL_READ_PLAYLIST_WARN_INVALID_FILE_URL",
     r"<ENTRY/> is not a valid file URL of this computer; the entry was left out.",
     r"<ENTRY/> ist keine gültige Datei-URL dieses Computers; der Eintrag wurde ausgelassen."),
    ("IDS_TL_READ_PLAYLIST_WARN_NO_LOCATION",
     r"A track without the location of a file was left out.",
     r"Ein Titel ohne Angabe einer Datei wurde ausgelassen."),
    ("IDS_TL_READ_PLAYLIST_WARN_WINDOWS_1252",
     r"The playlist is not stored in UTF-8; it was read as Windows-1252 (Western European) text.",
     r"Die Playlist ist nicht in UTF-8 gespeichert; sie wurde als Windows-1252-Text (westeuropäisch) gelesen."),
    ("IDS_TL_READ_PLAYLIST_WARN_INVALID_UTF8",
     r"The text is not valid UTF-8; its bytes were taken unchanged.",
     r"Der Text ist kein gültiges UTF-8; seine Bytes wurden unverändert übernommen."),
    ("IDS_TL_READ_PLAYLIST_WARN_TYPE_MISMATCH",
     r"The content is a <FORMAT/> playlist, not what the extension says; it was read as <FORMAT/>.",
     r"Der Inhalt ist eine <FORMAT/>-Playlist, anders als die Endung angibt; er wurde als <FORMAT/> gelesen."),
    ("IDS_TL_READ_PLAYLIST_WARN_ENTRY_COUNT",
     r"NumberOfEntries gives <EXPECTED/>, but the playlist has <COUNT/> File lines; the File lines count.",
     r"NumberOfEntries nennt <EXPECTED/>, die Playlist hat aber <COUNT/> File-Zeilen; maßgeblich sind die File-Zeilen."),
    ("IDS_TL_READ_PLAYLIST_WARN_REPEATED_NUMBER",
     r"Entry <NUMBER/> was given before; this line was ignored.",
     r"Eintrag <NUMBER/> wurde bereits angegeben; diese Zeile wurde übergangen."),
    ("IDS_TL_READ_PLAYLIST_WARN_NO_FILE_LINE",
     r"There is no File line for entry <NUMBER/>; this line was ignored.",
     r"Zu Eintrag <NUMBER/> gibt es keine File-Zeile; diese Zeile wurde übergangen."),
    # Command-line front end.
    ("IDS_TL_CLI_USAGE",
     r"Usage: tracklace-make [options] -o PLAYLIST FILE_OR_FOLDER...\n  -o, --output PATH          the playlist to write; .m3u or .pls picks the type\n  -t, --type m3u|pls         the type when the extension is neither\n  --relative | --absolute    entry paths (default: the saved setting)\n  --tags | --no-tags         read MP3 tags (default: the saved setting)\n  --mask MASK                title mask (default: the saved setting)\n  -p, --parents              create a missing save folder (one level)\n  -f, --force                overwrite an existing playlist\n  -q, --quiet                no progress output\n  -h, --help                 show this help\n  --version                  show the version",
     r"Aufruf: tracklace-make [Optionen] -o PLAYLIST DATEI_ODER_ORDNER...\n  -o, --output PFAD          die zu schreibende Playlist; .m3u oder .pls wählt den Typ\n  -t, --type m3u|pls         der Typ, wenn die Endung keine von beiden ist\n  --relative | --absolute    Pfade der Einträge (Vorgabe: die gespeicherte Einstellung)\n  --tags | --no-tags         MP3-Tags lesen (Vorgabe: die gespeicherte Einstellung)\n  --mask MASKE               Titelmaske (Vorgabe: die gespeicherte Einstellung)\n  -p, --parents              einen fehlenden Speicherordner anlegen (eine Ebene)\n  -f, --force                eine vorhandene Playlist überschreiben\n  -q, --quiet                keine Fortschrittsanzeige\n  -h, --help                 diese Hilfe zeigen\n  --version                  die Version zeigen"),
    ("IDS_TL_CLI_ERR_USAGE", r"<OPTION/>: invalid option or missing value (see --help).",
     r"<OPTION/>: ungültige Option oder fehlender Wert (siehe --help)."),
    ("IDS_TL_CLI_ERR_NO_OUTPUT", r"No playlist given: use -o PLAYLIST (see --help).",
     r"Keine Playlist angegeben: -o PLAYLIST verwenden (siehe --help)."),
    ("IDS_TL_CLI_WARN_FILE_MISSING", r"Skipped, not found: <FILEPATH/>",
     r"Übersprungen, nicht gefunden: <FILEPATH/>"),
    ("IDS_TL_CLI_ERR_NO_FILES", r"No file of an active file type was given; no playlist was written.",
     r"Es wurde keine Datei eines aktiven Dateityps angegeben; es wurde keine Playlist geschrieben."),
    ("IDS_TL_CLI_ERR_PLAYLIST_EXISTS", r"The playlist <FILEPATH/> exists already; use -f to overwrite it.",
     r"Die Playlist <FILEPATH/> ist bereits vorhanden; mit -f wird sie überschrieben."),
    ("IDS_TL_CLI_ERR_FOLDER_MISSING", r"The folder <FOLDER/> does not exist; use -p to create it.",
     r"Der Ordner <FOLDER/> ist nicht vorhanden; mit -p wird er angelegt."),
    # The settings file, when a start found it unusable.
    ("IDS_TL_CLI_WARN_SETTINGS_FILE_DAMAGED",
     r"The settings file <FILEPATH/> could not be read; it was kept as <COPYPATH/> and the default settings apply.",
     r"Die Einstellungsdatei <FILEPATH/> konnte nicht gelesen werden; sie wurde als <COPYPATH/> aufbewahrt, es gelten die Standardeinstellungen."),
    ("IDS_TL_CLI_WARN_SETTINGS_FILE_CONVERTED",
     r"The settings file <FILEPATH/> was a Windows registry export; its settings were taken over and the original was kept as <COPYPATH/>.",
     r"Die Einstellungsdatei <FILEPATH/> war ein Export der Windows-Registrierung; ihre Einstellungen wurden übernommen, das Original wurde als <COPYPATH/> aufbewahrt."),
    ("IDS_TL_CLI_ERR_SETTINGS_FILE_UNREADABLE",
     r"The settings file <FILEPATH/> cannot be read; no playlist was written.",
     r"Die Einstellungsdatei <FILEPATH/> kann nicht gelesen werden; es wurde keine Playlist geschrieben."),
    # A named file that the active file types leave out.
    ("IDS_TL_CLI_WARN_INACTIVE_TYPE", r"Skipped, not an active file type: <FILEPATH/>",
     r"Übersprungen, kein aktiver Dateityp: <FILEPATH/>"),
]

KEY_PATTERN = re.compile(r"IDS_[A-Z0-9_]+")


def check_texts():
    """Refuses anything the table format cannot carry."""
    seen = set()
    for key, *texts in TEXTS:
        if not KEY_PATTERN.fullmatch(key):
            raise SystemExit(f"{key!r}: a key is IDS_ followed by upper-case letters, digits, _")
        if key in seen:
            raise SystemExit(f"{key}: listed twice")
        seen.add(key)
        for text in texts:
            if not text:
                raise SystemExit(f"{key}: empty text (a lookup would show the key)")
            if any(c in text for c in "\r\n\0"):
                raise SystemExit(f"{key}: line breaks are written as the two characters \\n")
            try:
                text.encode("cp1252")
            except UnicodeEncodeError as error:
                raise SystemExit(f"{key}: {error}")


def table_bytes(column):
    lines = []
    for entry in TEXTS:
        lines.append(entry[0])
        lines.append(entry[column])
    return "".join(line + "\r\n" for line in lines).encode("cp1252")


def main():
    check_texts()
    folder = pathlib.Path(__file__).resolve().parent.parent / "TEXTSTRINGTABLE"
    tables = {"LANGUAGE_EN.tbl": table_bytes(1), "LANGUAGE_DE.tbl": table_bytes(2)}
    if "--check" in sys.argv[1:]:
        stale = [name for name, data in tables.items()
                 if not (folder / name).exists() or (folder / name).read_bytes() != data]
        if stale:
            print("out of date: " + ", ".join(stale) + " (run resources/tools/language_tables.py)")
            return 1
        return 0
    folder.mkdir(exist_ok=True)
    for name, data in tables.items():
        (folder / name).write_bytes(data)
    print(f"{len(TEXTS)} keys written to {', '.join(tables)}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
