#!/usr/bin/env python3
"""Writes dialogs_eng.rc and dialogs_deu.rc from one table, so that both
languages carry the same templates, ids and layout; only the texts differ.
Run it after changing a dialog:  python3 gen_dialogs.py"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))

# Control kinds: (rc statement, default style)
def esc(s):
    return s.replace('"', '""')

class D:
    def __init__(self, ident, w, h, cap, kind='page'):
        self.ident, self.w, self.h, self.cap, self.kind = ident, w, h, cap, kind
        self.items = []
    def add(self, line):
        self.items.append(line)
        return self

    # helpers taking texts as (English, German)
    def text(self, t, x, y, w, h, i='IDC_STATIC', style=''):
        return self.add(('LTEXT', t, i, x, y, w, h, style))
    def ctext(self, t, x, y, w, h, i='IDC_STATIC', style=''):
        return self.add(('CTEXT', t, i, x, y, w, h, style))
    def edit(self, i, x, y, w, h=12, style='ES_AUTOHSCROLL'):
        return self.add(('EDITTEXT', None, i, x, y, w, h, style))
    def button(self, t, i, x, y, w=50, h=14, default=False, style=''):
        return self.add(('DEFPUSHBUTTON' if default else 'PUSHBUTTON', t, i, x, y, w, h, style))
    def check(self, t, i, x, y, w, h=10, style=''):
        return self.add(('CONTROL', t, i, 'Button', 'BS_AUTOCHECKBOX | WS_TABSTOP' + style, x, y, w, h))
    def radio(self, t, i, x, y, w, h=10, group=False):
        return self.add(('CONTROL', t, i, 'Button', 'BS_AUTORADIOBUTTON' + (' | WS_GROUP | WS_TABSTOP' if group else ''), x, y, w, h))
    def group(self, t, x, y, w, h):
        return self.add(('GROUPBOX', t, 'IDC_STATIC', x, y, w, h, ''))
    def combo(self, i, x, y, w, h=80, style='CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP'):
        return self.add(('COMBOBOX', None, i, x, y, w, h, style))
    def listbox(self, i, x, y, w, h, style='LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP'):
        return self.add(('LISTBOX', None, i, x, y, w, h, style))
    def control(self, cls, i, x, y, w, h, style, t=None):
        return self.add(('CONTROL', t, i, cls, style, x, y, w, h))
    def etched(self, x, y, w):
        return self.add(('CONTROL', None, 'IDC_STATIC', 'Static', 'SS_ETCHEDHORZ', x, y, w, 1))
    def icon(self, name, i, x, y):
        return self.add(('ICON', name, i, x, y, 20, 20, ''))

def t(e, g):
    return (e, g)

def render(d, lang):
    L = 0 if lang == 'eng' else 1
    out = []
    if d.kind == 'modal':
        style = 'DS_MODALFRAME | DS_SETFONT | DS_3DLOOK | WS_POPUP | WS_CAPTION | WS_SYSMENU'
    elif d.kind == 'modeless':
        style = 'DS_MODALFRAME | DS_SETFONT | DS_3DLOOK | WS_POPUP | WS_CAPTION'
    elif d.kind == 'child':
        style = 'DS_SETFONT | DS_CONTROL | DS_3DLOOK | WS_CHILD'
    else:  # property page
        style = 'DS_SETFONT | DS_3DLOOK | WS_CHILD | WS_CAPTION | WS_DISABLED'
    out.append(f'{d.ident} DIALOG 0, 0, {d.w}, {d.h}')
    out.append(f'STYLE {style}')
    if d.cap:
        out.append(f'CAPTION "{esc(d.cap[L])}"')
    out.append('FONT 8, "MS Sans Serif"')
    out.append('BEGIN')
    for it in d.items:
        kind = it[0]
        if kind == 'CONTROL':
            _, tx, i, cls, style, x, y, w, h = it
            txt = esc(tx[L]) if isinstance(tx, tuple) else (tx or '')
            out.append(f'  CONTROL "{txt}", {i}, "{cls}", {style}, {x}, {y}, {w}, {h}')
        elif kind == 'ICON':
            _, name, i, x, y, w, h, _s = it
            out.append(f'  ICON {name}, {i}, {x}, {y}, {w}, {h}')
        elif kind in ('EDITTEXT', 'COMBOBOX', 'LISTBOX'):
            _, _t, i, x, y, w, h, style = it
            out.append(f'  {kind} {i}, {x}, {y}, {w}, {h}' + (f', {style}' if style else ''))
        else:
            _, tx, i, x, y, w, h, style = it
            out.append(f'  {kind} "{esc(tx[L])}", {i}, {x}, {y}, {w}, {h}' + (f', {style}' if style else ''))
    out.append('END')
    return '\n'.join(out) + '\n'

OK = t('OK', 'OK')
CANCEL = t('Cancel', 'Abbrechen')
HELP = t('&Help', '&Hilfe')
BROWSE = t('&Browse...', 'Du&rchsuchen...')
DOTS = t('...', '...')
TREE = 'TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_EDITLABELS | TVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP'
REPORT = 'LVS_REPORT | LVS_SORTASCENDING | LVS_EDITLABELS | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_BORDER | WS_TABSTOP'

dialogs = []
def dlg(*a, **k):
    d = D(*a, **k)
    dialogs.append(d)
    return d

# --- application dialogs ---
d = dlg('IDD_ABOUT', 236, 126, t('About Kitwright', 'Info über Kitwright'), 'modal')
d.control('Brantel KWRBMP', 11, 8, 8, 40, 40, 'WS_CHILD | WS_VISIBLE')
d.text(t('Kitwright 97b', 'Kitwright 97b'), 56, 8, 170, 18, '503')
d.text(t('Version %s.', 'Version %s.'), 56, 30, 170, 8, '772')
d.text(t('Copyright © 1996-1997 Brantel SoftWare. All rights reserved.', 'Copyright © 1996-1997 Brantel SoftWare. Alle Rechte vorbehalten.'), 56, 42, 170, 16)
d.control('Brantel KWRBMP', 12, 56, 62, 32, 32, 'WS_CHILD | WS_VISIBLE')
d.control('Brantel KWRBMP', 13, 100, 62, 32, 32, 'WS_CHILD | WS_VISIBLE')
d.etched(8, 100, 220)
d.button(OK, 'IDOK', 176, 106, 50, 14, default=True)

d = dlg('IDD_WELCOME', 240, 150, t('Welcome to Kitwright 97b', 'Willkommen bei Kitwright 97b'), 'modal')
d.control('Brantel KWRBMP', 11, 8, 8, 40, 40, 'WS_CHILD | WS_VISIBLE')
d.text(t('Welcome to Kitwright', 'Willkommen bei Kitwright'), 56, 8, 176, 20, '503')
d.text(t('What would you like to do?', 'Was möchten Sie tun?'), 56, 32, 176, 8)
d.radio(t('Open an E&xisting Project', 'Ein &vorhandenes Projekt öffnen'), 101, 64, 48, 168, group=True)
d.radio(t('Open your &Last Project', 'Das &zuletzt bearbeitete Projekt öffnen'), 102, 64, 62, 168)
d.radio(t('Create a new &Project', 'Ein neues &Projekt erstellen'), 103, 64, 76, 168)
d.etched(8, 98, 224)
d.check(t("&Don't display this screen again", 'Dieses Fenster &nicht mehr anzeigen'), 201, 8, 108, 224)
d.button(OK, 'IDOK', 128, 128, 50, 14, default=True)
d.button(CANCEL, 'IDCANCEL', 182, 128, 50, 14)

d = dlg('IDD_FINISHED', 240, 140, t('Build Finished', 'Erstellung abgeschlossen'), 'modal')
d.control('Brantel KWRBMP', 13, 8, 8, 40, 40, 'WS_CHILD | WS_VISIBLE')
d.text(t('Kitwright has finished creating your setup program.\\n\\nTo test the setup program, click the Test Run button located in Kitwright\'s toolbar.\\n\\nTo create master diskettes, copy each directory "%s\\\\disk*" to its own disk.',
         'Kitwright hat Ihr Setup-Programm erstellt.\\n\\nUm das Setup-Programm zu testen, klicken Sie in der Symbolleiste von Kitwright auf die Schaltfläche Testlauf.\\n\\nUm Masterdisketten zu erstellen, kopieren Sie jedes Verzeichnis "%s\\\\disk*" auf eine eigene Diskette.'),
       56, 8, 176, 86, '100')
d.check(t("&Don't display this screen again", 'Dieses Fenster &nicht mehr anzeigen'), 101, 8, 102, 224)
d.button(OK, 'IDOK', 182, 120, 50, 14, default=True)

d = dlg('IDD_CREDITS', 200, 110, t('Kitwright Credits', 'Mitwirkende an Kitwright'), 'modal')
d.control('Brantel KWRBMP', 12, 8, 8, 40, 40, 'WS_CHILD | WS_VISIBLE')
d.text(t('Kitwright was written by the Brantel SoftWare development team.', 'Kitwright wurde vom Entwicklungsteam von Brantel SoftWare geschrieben.'), 56, 8, 136, 24)
d.text(t('Compression: zlib by Jean-loup Gailly and Mark Adler.', 'Komprimierung: zlib von Jean-loup Gailly und Mark Adler.'), 56, 36, 136, 24)
d.button(OK, 'IDOK', 142, 88, 50, 14, default=True)

d = dlg('IDD_PROGRESS', 220, 94, t('Creating Setup', 'Setup wird erstellt'), 'modeless')
d.text(t('Current file:', 'Aktuelle Datei:'), 8, 8, 60, 8)
d.text(t('', ''), 8, 20, 204, 8, '101', 'SS_NOPREFIX')
d.control('msctls_progress32', 201, 8, 32, 204, 10, 'WS_BORDER')
d.text(t('Total:', 'Gesamt:'), 8, 48, 60, 8)
d.control('msctls_progress32', 202, 8, 58, 204, 10, 'WS_BORDER')
d.button(CANCEL, 'IDCANCEL', 85, 74, 50, 14)

d = dlg('IDD_SELECT_DIRECTORY', 200, 140, t('Select Directory', 'Verzeichnis auswählen'), 'modal')
d.text(t('Directory &name:', 'Verzeichnis&name:'), 8, 8, 120, 8)
d.edit(1152, 8, 18, 130)
d.text(t('', ''), 8, 34, 130, 8, '1088', 'SS_NOPREFIX')
d.text(t('&Directories:', '&Verzeichnisse:'), 8, 46, 130, 8)
d.listbox(1121, 8, 56, 130, 48)
d.text(t('Dri&ves:', '&Laufwerke:'), 8, 108, 130, 8)
d.combo(1137, 8, 118, 130, 68, 'CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | CBS_SORT | WS_VSCROLL | WS_TABSTOP')
d.button(OK, 'IDOK', 144, 18, 50, 14, default=True)
d.button(CANCEL, 'IDCANCEL', 144, 36, 50, 14)

# --- configuration sheet pages ---
d = dlg('IDD_CONFIG_GENERAL', 220, 140, t('General', 'Allgemein'))
d.group(t('Start-up', 'Programmstart'), 7, 7, 206, 40)
d.check(t('Display &Welcome Screen', '&Begrüßungsfenster anzeigen'), 6144, 15, 20, 190)
d.check(t('Display &3D dialog borders', '&3D-Dialograhmen anzeigen'), 6146, 15, 32, 190, style=' | WS_DISABLED | NOT WS_VISIBLE')
d.group(t('User interface', 'Benutzeroberfläche'), 7, 52, 206, 80)
d.text(t('&Language:', '&Sprache:'), 15, 67, 60, 8)
d.combo(6145, 80, 65, 125, 80, 'CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL | WS_TABSTOP')
d.check(t('&Flat toolbar buttons', '&Flache Symbolleistenschaltflächen'), 6147, 15, 88, 190)
d.check(t('Display &Build Finished dialog', 'Dialog "Erstellung abgeschlossen" &anzeigen'), 6148, 15, 102, 190)

d = dlg('IDD_CONFIG_LANGUAGES', 220, 140, t('Languages', 'Sprachen'))
d.text(t('Installed user interface &languages:', 'Installierte Sprachen der &Benutzeroberfläche:'), 7, 7, 206, 8)
d.listbox(101, 7, 18, 206, 90, 'LBS_SORT | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP')
d.text(t('A new language takes effect the next time Kitwright is started.', 'Eine neue Sprache wird beim nächsten Start von Kitwright wirksam.'), 7, 114, 206, 18)

d = dlg('IDD_CONFIG_EXTENSIONS', 220, 140, t('Extensions', 'Erweiterungen'))
d.text(t('Installed &extensions:', 'Installierte &Erweiterungen:'), 7, 7, 150, 8)
d.listbox(101, 7, 18, 150, 114, 'LBS_SORT | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP')
d.button(t('&Add...', '&Hinzufügen...'), 201, 163, 18, 50, 14, style='WS_DISABLED')
d.button(t('&Remove...', '&Entfernen...'), 202, 163, 36, 50, 14, style='WS_DISABLED')
d.button(t('&About', '&Info'), 203, 163, 60, 50, 14)

d = dlg('IDD_DISKSIZE', 200, 60, t('General', 'Allgemein'))
d.text(t('Choose the size of the disks that the setup is built for.', 'Wählen Sie die Größe der Datenträger, für die das Setup erstellt wird.'), 7, 7, 186, 16)
d.text(t('&Disk Size:', '&Datenträgergröße:'), 7, 30, 60, 8)
d.combo(101, 70, 28, 123, 90)

# --- tab pages (children of the tab view) ---
W, H = 300, 180
d = dlg('IDD_GENERAL', W, H, t('General', 'Allgemein'), 'child')
d.icon('IDI_GENERAL', 'IDC_STATIC', 7, 7)
d.text(t('Describe the product that the setup installs.', 'Beschreiben Sie das Produkt, das das Setup installiert.'), 36, 12, 250, 8)
d.etched(7, 32, 286)
for row, (lab, cid) in enumerate([(t('Product &Name:', 'Produkt&name:'), 2560), (t('Product &Version:', 'Produkt&version:'), 2561), (t('&Company Name:', '&Firmenname:'), 2562)]):
    d.text(lab, 7, 44 + row * 20, 80, 8)
    d.edit(cid, 90, 42 + row * 20, 200)
d.text(t('&Language:', '&Sprache:'), 7, 108, 80, 8)
d.combo(2563, 90, 106, 200, 80, 'CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL | WS_TABSTOP')
d.text(t('O&perating System:', '&Betriebssystem:'), 7, 128, 80, 8)
d.combo(2564, 90, 126, 200, 60)

d = dlg('IDD_UICOMPONENTS', W, H, t('UI Components', 'UI-Komponenten'), 'child')
d.control('SysTabControl32', 2818, 7, 7, 100, 166, 'WS_DISABLED')
d.text(t('&Settings For:', '&Einstellungen für:'), 13, 24, 88, 8)
d.control('Brantel CheckLBox', 2816, 13, 34, 88, 132, 'LBS_OWNERDRAWFIXED | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_BORDER | WS_VSCROLL | WS_TABSTOP')
d.control('SysTabControl32', 2817, 113, 7, 180, 166, 'WS_TABSTOP')

d = dlg('IDD_FILES', W, H, t('Files', 'Dateien'), 'child')
d.text(t('&Packages:', '&Pakete:'), 7, 7, 90, 8)
d.control('SysTreeView32', 3072, 7, 18, 90, 155, 'TVS_HASLINES | TVS_EDITLABELS | TVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP')
d.control('SysTabControl32', 3083, 103, 7, 190, 166, 'WS_TABSTOP')
d.control('SysListView32', 3073, 109, 24, 178, 143, REPORT.replace('LVS_EDITLABELS | ', '') + ' | LVS_SHAREIMAGELISTS')
d.control('SysTreeView32', 3082, 109, 24, 178, 143, TREE.replace('WS_BORDER', 'WS_BORDER | NOT WS_VISIBLE'))

d = dlg('IDD_CREATESETUP', W, H, t('Create Setup', 'Setup erstellen'), 'child')
d.text(t('&Status:', '&Status:'), 7, 7, 60, 8)
d.edit(701, 7, 18, 286, 124, 'ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL')
d.text(t('&Disk Size:', '&Datenträgergröße:'), 7, 152, 60, 8)
d.combo(703, 70, 150, 110, 90)
d.button(t('&Start', '&Start'), 702, 189, 150, 50, 14)
d.button(t('&Test Run', '&Testlauf'), 704, 243, 150, 50, 14)

d = dlg('IDD_REQUIREMENTS', W, H, t('Requirements', 'Anforderungen'), 'child')
d.group(t('Operating systems and minimum versions', 'Betriebssysteme und Mindestversionen'), 7, 4, 286, 58)
for row, (lab, c, ma, mi) in enumerate([(t('Microsoft Windows NT', 'Microsoft Windows NT'), 3840, 3856, 3859), (t('Microsoft Windows 95', 'Microsoft Windows 95'), 3841, 3857, 3860), (t('Microsoft Win32s', 'Microsoft Win32s'), 3842, 3858, 3861)]):
    y = 16 + row * 15
    d.check(lab, c, 15, y, 120, 10)
    d.text(t('Version:', 'Version:'), 150, y + 1, 34, 8)
    d.edit(ma, 186, y - 1, 20, 12, 'ES_NUMBER')
    d.ctext(t('.', '.'), 207, y + 1, 6, 8)
    d.edit(mi, 214, y - 1, 20, 12, 'ES_NUMBER')
d.group(t('Hardware', 'Hardware'), 7, 66, 286, 52)
d.text(t('&CPU:', '&Prozessor:'), 15, 80, 50, 8)
d.combo(3874, 70, 78, 80, 80)
d.text(t('&System colors:', '&Farben:'), 15, 98, 50, 8)
d.combo(3872, 70, 96, 80, 80)
d.text(t('&Resolution:', '&Auflösung:'), 160, 80, 40, 8)
d.combo(3873, 205, 78, 80, 80)
d.check(t('&Math Coprocessor', '&Mathematischer Koprozessor'), 3888, 160, 98, 125)
d.text(t('Before copying files, ensure that these applications are not running:', 'Vor dem Kopieren der Dateien sicherstellen, dass diese Anwendungen nicht laufen:'), 7, 124, 286, 8)
d.edit(3920, 7, 134, 286, 40, 'ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL')

d = dlg('IDD_REGISTRY', W, H, t('Registry', 'Registrierung'), 'child')
d.text(t('&Keys:', '&Schlüssel:'), 7, 7, 100, 8)
d.control('SysTreeView32', 4352, 7, 18, 118, 155, TREE)
d.text(t('&Values:', '&Werte:'), 131, 7, 100, 8)
d.control('SysListView32', 4353, 131, 18, 162, 155, REPORT)

d = dlg('IDD_INIFILES', W, H, t('INI Files', 'INI-Dateien'), 'child')
d.text(t('&INI files and sections:', '&INI-Dateien und Abschnitte:'), 7, 7, 118, 8)
d.control('SysTreeView32', 8448, 7, 18, 118, 155, TREE)
d.text(t('&Keys:', '&Schlüssel:'), 131, 7, 100, 8)
d.control('SysListView32', 8449, 131, 18, 162, 155, REPORT)

d = dlg('IDD_PROGRAMICONS', W, H, t('Program Icons', 'Programmsymbole'), 'child')
d.text(t('Program &folders:', 'Programm&ordner:'), 7, 7, 118, 8)
d.control('SysTreeView32', 5120, 7, 18, 118, 155, TREE)
d.text(t('&Icons:', '&Symbole:'), 131, 7, 100, 8)
d.control('SysListView32', 5121, 131, 18, 162, 155, 'LVS_ICON | LVS_SORTASCENDING | LVS_EDITLABELS | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS | LVS_AUTOARRANGE | WS_BORDER | WS_TABSTOP')

d = dlg('IDD_VISUALDESIGN', W, H, t('Visual Design', 'Gestaltung'), 'child')
d.group(t('Title', 'Titel'), 7, 4, 286, 46)
d.text(t('Setup &Title:', 'Setup-&Titel:'), 15, 18, 50, 8)
d.edit(3328, 70, 16, 215)
d.check(t('Show Title &Bar', 'Titel&leiste anzeigen'), 3329, 70, 34, 150)
d.group(t('Background', 'Hintergrund'), 7, 54, 286, 66)
d.radio(t('&Gradient', '&Farbverlauf'), 3330, 15, 68, 80, group=True)
d.radio(t('&Solid', '&Einfarbig'), 3331, 15, 84, 80)
d.text(t('&From:', '&Von:'), 110, 68, 26, 8)
d.control('Button', 3332, 140, 66, 40, 14, 'BS_OWNERDRAW | WS_TABSTOP')
d.text(t('T&o:', '&Bis:'), 110, 88, 26, 8)
d.control('Button', 3333, 140, 86, 40, 14, 'BS_OWNERDRAW | WS_TABSTOP')
d.control('Brantel KWRBMP', 30994, 200, 64, 80, 52, 'WS_CHILD | WS_VISIBLE')
d.group(t('Installation time', 'Installationsdauer'), 7, 124, 286, 34)
d.check(t('Lengthen installation time to at least', 'Installationsdauer verlängern auf mindestens'), 3334, 15, 138, 160)
d.edit(3335, 180, 136, 30, 12, 'ES_NUMBER')
d.text(t('seconds', 'Sekunden'), 215, 138, 50, 8)

# --- settings pages of the UI Components view ---
PW, PH = 172, 140
def text_page(ident, cap, intro, label, browse):
    d = dlg(ident, PW, PH, cap, 'child')
    d.text(intro, 7, 7, 158, 24)
    d.text(label, 7, 36, 158, 8)
    d.edit(2832, 7, 46, 158 - (22 if browse else 0))
    if browse:
        d.button(DOTS, 2833, 147, 46, 18, 12)
    return d
text_page('IDD_UI_LICENSE', t('Settings', 'Einstellungen'), t('The license agreement is shown from this text file; the user must accept it to continue.', 'Der Lizenzvertrag wird aus dieser Textdatei angezeigt; der Benutzer muss ihn annehmen, um fortzufahren.'), t('License &file:', 'Lizenz&datei:'), True)
text_page('IDD_UI_README', t('Settings', 'Einstellungen'), t('The readme information is shown from this text file.', 'Die Liesmich-Informationen werden aus dieser Textdatei angezeigt.'), t('Readme &file:', 'Liesmich-&Datei:'), True)
text_page('IDD_UI_DESTINATION', t('Settings', 'Einstellungen'), t('The directory offered to the user as the place to install the product.', 'Das Verzeichnis, das dem Benutzer als Installationsort angeboten wird.'), t('Default &destination directory:', 'Standard-&Zielverzeichnis:'), False)
text_page('IDD_UI_PROGRAMFOLDER', t('Settings', 'Einstellungen'), t('The program folder offered to the user for the product\'s icons.', 'Der Programmordner, der dem Benutzer für die Symbole des Produkts angeboten wird.'), t('Default program &folder:', 'Standard-Programm&ordner:'), False)
d = text_page('IDD_UI_PASSWORD', t('Settings', 'Einstellungen'), t('The user must type this password before the setup continues.', 'Der Benutzer muss dieses Kennwort eingeben, bevor das Setup fortfährt.'), t('Setup &password:', 'Setup-&Kennwort:'), False)

d = dlg('IDD_UI_USERINFO', PW, PH, t('Settings', 'Einstellungen'), 'child')
d.text(t('Ask the user for:', 'Den Benutzer fragen nach:'), 7, 7, 158, 8)
for row, (lab, a, req, b) in enumerate([(t('&Name', '&Name'), 6912, t('&Required', '&Erforderlich'), 6928),
                                         (t('&Company', '&Firma'), 6913, t('R&equired', 'E&rforderlich'), 6929),
                                         (t('&Serial Number', '&Seriennummer'), 6914, t('Re&quired', 'Er&forderlich'), 6930),
                                         (t('Re&gistration Code', 'Re&gistrierungscode'), 6915, t('Req&uired', 'Erf&orderlich'), 6931)]):
    d.check(lab, a, 15, 22 + row * 16, 80)
    d.check(req, b, 100, 22 + row * 16, 65)

d = dlg('IDD_UI_BILLBOARDS', PW, PH, t('Settings', 'Einstellungen'), 'child')
d.text(t('&Billboards shown while files are copied:', '&Werbetafeln, die beim Kopieren gezeigt werden:'), 7, 7, 158, 8)
d.listbox(3584, 7, 18, 100, 115, 'LBS_NOINTEGRALHEIGHT | LBS_NOTIFY | WS_VSCROLL | WS_TABSTOP')
d.button(t('&Add...', '&Hinzufügen...'), 3585, 113, 18, 52, 14)
d.button(t('&Delete', '&Löschen'), 3586, 113, 36, 52, 14)
d.button(t('Move &Up', 'Nach &oben'), 3587, 113, 60, 52, 14)
d.button(t('Move &Down', 'Nach &unten'), 3588, 113, 78, 52, 14)
d.button(t('P&roperties', '&Eigenschaften'), 3589, 113, 102, 52, 14)

d = dlg('IDD_UI_BITMAP', PW, PH, t('Bitmap', 'Bitmap'), 'child')
d.text(t('The bitmap shown on the left side of this dialog:', 'Die Bitmap auf der linken Seite dieses Dialogs:'), 7, 7, 158, 16)
d.text(t('&Bitmap file:', '&Bitmap-Datei:'), 7, 28, 158, 8)
d.edit(2832, 7, 38, 136)
d.button(DOTS, 2833, 147, 38, 18, 12)
d.check(t('Use this &bitmap for all dialogs', 'Diese &Bitmap für alle Dialoge verwenden'), 2834, 7, 58, 158)

# --- item property pages: header with icon, name and type ---
IW, IH = 230, 170
def header(d, icon, name_id, type_text, type_id='IDC_STATIC'):
    d.icon(icon, 'IDC_STATIC' if name_id != 5377 else '5381', 7, 7)
    d.edit(name_id, 40, 10, 183, 12, 'ES_READONLY | NOT WS_BORDER | NOT WS_TABSTOP')
    d.etched(7, 32, 216)
    d.text(t('Type:', 'Typ:'), 7, 40, 40, 8)
    d.text(type_text, 50, 40, 173, 8, type_id)
    d.etched(7, 54, 216)

d = dlg('IDD_FILE_GENERAL', IW, IH, t('General', 'Allgemein'))
header(d, 'IDI_FILE', 5377, t('File', 'Datei'), '5380')
d.text(t('&Source:', '&Quelle:'), 7, 64, 50, 8)
d.edit(5376, 60, 62, 110)
d.button(BROWSE, 5408, 173, 62, 50, 13)
d.text(t('&Destination:', '&Ziel:'), 7, 82, 50, 8)
d.combo(5378, 60, 80, 163, 80, 'CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP')
d.check(t('C&ompress', '&Komprimieren'), 5392, 7, 100, 105)
d.check(t('&Version Check', '&Version prüfen'), 5393, 7, 112, 105)
d.check(t('Self Register &OCX/DLL', 'OCX/DLL selbst &registrieren'), 5395, 7, 124, 105)
d.check(t('S&hared File', '&Gemeinsame Datei'), 5396, 118, 100, 105)
d.check(t('Do not &Uninstall', '&Nicht deinstallieren'), 5397, 118, 112, 105)
d.check(t('Do not ov&erwrite existing file', 'Vorhandene Datei nicht ü&berschreiben'), 5398, 118, 124, 105, 18, style=' | BS_MULTILINE | BS_TOP')
d.check(t('Require &Password', '&Kennwort erforderlich'), 5394, 7, 136, 105, style=' | WS_DISABLED | NOT WS_VISIBLE')
d.text(t('D&escription:', '&Beschreibung:'), 7, 150, 50, 8, 'IDC_STATIC', 'NOT WS_VISIBLE')
d.edit(5379, 60, 148, 163, 12, 'ES_AUTOHSCROLL | WS_DISABLED | NOT WS_VISIBLE')

d = dlg('IDD_PACKAGE_GENERAL', IW, IH, t('General', 'Allgemein'))
header(d, 'IDI_FOLDER', 6656, t('Package', 'Paket'))
d.text(t("The settings that were on this dialog in earlier versions of Kitwright are now handled by the new Setup Types management feature on Kitwright's Files tab.",
         'Die Einstellungen, die in früheren Versionen von Kitwright in diesem Dialog standen, werden jetzt über die neue Verwaltung der Setup-Typen auf der Registerkarte Dateien von Kitwright vorgenommen.'), 7, 64, 216, 40)

d = dlg('IDD_REGKEY_GENERAL', IW, IH, t('General', 'Allgemein'))
header(d, 'IDI_REGISTRY', 5888, t('Registry Key', 'Registrierungsschlüssel'))
d.check(t('&Uninstall this Key', 'Diesen Schlüssel &deinstallieren'), 5889, 7, 64, 216)

d = dlg('IDD_REGVALUE_GENERAL', IW, IH, t('General', 'Allgemein'))
header(d, 'IDI_REGISTRY', 5632, t('Registry Value', 'Registrierungswert'))
d.text(t('&Type:', '&Typ:'), 7, 64, 40, 8)
d.combo(5634, 50, 62, 173, 60)
d.text(t('&Value:', '&Wert:'), 7, 82, 40, 8)
d.edit(5633, 50, 80, 173)
d.check(t('Do not &overwrite existing value', 'Vorhandenen Wert nicht ü&berschreiben'), 5635, 50, 98, 173)
d.text(t('&hKey:', '&hKey:'), 7, 116, 40, 8, 'IDC_STATIC', 'NOT WS_VISIBLE')
d.edit(5636, 50, 114, 173, 12, 'ES_AUTOHSCROLL | WS_DISABLED | NOT WS_VISIBLE')
d.text(t('&Key:', '&Schlüssel:'), 7, 132, 40, 8, 'IDC_STATIC', 'NOT WS_VISIBLE')
d.edit(5637, 50, 130, 173, 12, 'ES_AUTOHSCROLL | WS_DISABLED | NOT WS_VISIBLE')
d.text(t('Value &name:', 'Wert&name:'), 7, 148, 40, 8, 'IDC_STATIC', 'NOT WS_VISIBLE')
d.edit(5638, 50, 146, 173, 12, 'ES_AUTOHSCROLL | WS_DISABLED | NOT WS_VISIBLE')

d = dlg('IDD_INIVALUE_GENERAL', IW, IH, t('General', 'Allgemein'))
header(d, 'IDI_INIFILE', 5632, t('INI File Entry', 'INI-Dateieintrag'))
d.text(t('&Value:', '&Wert:'), 7, 64, 40, 8)
d.edit(8705, 50, 62, 173)

d = dlg('IDD_ICON_GENERAL', IW, IH, t('General', 'Allgemein'))
header(d, 'IDI_PROGRAMGROUP', 8960, t('Program Icon', 'Programmsymbol'))
rows = [(t('&Path:', '&Pfad:'), 8961, 'combo'), (t('&Command Line Parameters:', '&Befehlszeilenparameter:'), 8962, ''), (t('&Icon Path:', '&Symbolpfad:'), 8963, ''), (t('Icon I&ndex:', 'Symbol&index:'), 8964, 'ES_NUMBER'), (t('&Working Dir:', '&Arbeitsverzeichnis:'), 8965, '')]
for row, (lab, cid, kind) in enumerate(rows):
    y = 64 + row * 18
    d.text(lab, 7, y + 2, 100, 8)
    if kind == 'combo':
        d.combo(cid, 110, y, 113, 80, 'CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP')
    elif kind:
        d.edit(cid, 110, y, 40, 12, kind)
    else:
        d.edit(cid, 110, y, 113)

d = dlg('IDD_OPTION_GENERAL', IW, IH, t('General', 'Allgemein'))
header(d, 'IDI_FOLDER', 9216, t('Custom Setup Option', 'Benutzerdefinierte Setup-Option'))
d.check(t('&Selected by default', 'Standardmäßig &ausgewählt'), 9232, 7, 64, 216)
d.text(t('&Description:', '&Beschreibung:'), 7, 80, 100, 8)
d.edit(9248, 7, 90, 216, 60, 'ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL')

d = dlg('IDD_OPTION_ADVANCED', IW, IH, t('Advanced', 'Erweitert'))
header(d, 'IDI_FOLDER', 9216, t('Custom Setup Option', 'Benutzerdefinierte Setup-Option'))
d.text(t('Group &Id:', 'Gruppen-&ID:'), 7, 66, 60, 8)
d.edit(9249, 70, 64, 40, 12, 'ES_NUMBER')
d.text(t('&Password:', '&Kennwort:'), 7, 84, 60, 8)
d.edit(9250, 70, 82, 153)
d.check(t('&Validate password by SETUPC.DLL', 'Kennwort durch SETUPC.DLL &prüfen'), 9251, 70, 100, 153)
d.text(t('The unique id for this setup option is: %d', 'Die eindeutige ID dieser Setup-Option lautet: %d'), 7, 124, 216, 8, '9252')

d = dlg('IDD_BILLBOARD_GENERAL', IW, IH, t('General', 'Allgemein'))
d.icon('IDI_FILE', 'IDC_STATIC', 7, 7)
d.edit(4097, 40, 10, 183, 12, 'ES_READONLY | NOT WS_BORDER | NOT WS_TABSTOP')
d.etched(7, 32, 216)
d.text(t('&Filename:', '&Dateiname:'), 7, 42, 50, 8)
d.edit(4096, 60, 40, 163, 12, 'ES_AUTOHSCROLL | ES_READONLY')
d.group(t('Placement', 'Platzierung'), 7, 60, 216, 52)
d.text(t('&X:', '&X:'), 15, 76, 20, 8)
d.combo(4114, 40, 74, 80, 60)
d.text(t('&Y:', '&Y:'), 15, 94, 20, 8)
d.combo(4115, 40, 92, 80, 60)

with open(os.path.join(HERE, 'dialogs_eng.rc'), 'w', encoding='utf-8') as f:
    f.write('// Dialog templates (English); generated by gen_dialogs.py.\n\n')
    for d in dialogs:
        f.write(render(d, 'eng') + '\n')
with open(os.path.join(HERE, 'dialogs_deu.rc'), 'w', encoding='utf-8') as f:
    f.write('// Dialog templates (German); generated by gen_dialogs.py.\n\n')
    for d in dialogs:
        f.write(render(d, 'deu') + '\n')
print(len(dialogs), 'dialogs')
