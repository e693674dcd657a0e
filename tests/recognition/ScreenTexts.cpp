#include "ScreenFixtures.h"

namespace klipo::test {

namespace {

// Items separated by "|"; rows() takes rows separated by ";".
QStringList l(const char* items) { return QString::fromUtf8(items).split(QLatin1Char('|')); }

QList<QStringList> rows(const char* rows)
{
    QList<QStringList> out;
    for (const QString& row : QString::fromUtf8(rows).split(QLatin1Char(';'))) out << row.split(QLatin1Char('|'));
    return out;
}

QString s(const char* utf8) { return QString::fromUtf8(utf8); }

ScreenTexts english()
{
    ScreenTexts t;
    t.menus = l("File|Edit|View|Tools|Help");
    t.formLabels = l("Full name:|Email address:|Home city:");
    t.formValues = l("Margaret Wilson|margaret@example.org|Manchester");
    t.checkbox = s("Send me the weekly summary");
    t.buttons = l("Cancel|Save changes");
    t.tableHeaders = l("Product|Owner|Status|Updated");
    t.tableRows = rows("Billing portal|Alice Cooper|Running|Monday;Mobile app|Brian Hughes|Stopped|Tuesday;"
                       "Search index|Clara Jones|Waiting|Friday;Mail server|David Brown|Running|Sunday");
    t.status = s("Ready: four services listed");
    t.articleTitle = s("Rivers that changed their course");
    t.byline = s("By Helen Carter, science desk, updated two hours ago");
    t.caption = s("The old riverbed seen from the northern bridge");
    t.sentences = l("The river moved almost a mile to the west after the great flood of the last century.|"
                    "Farmers on both banks lost fields that their families had worked for generations.|"
                    "Engineers later built walls of stone to keep the water in its new channel.|"
                    "Today the old bed is a long meadow where children play football on summer evenings.|"
                    "Scientists still measure the banks every spring to see how far the water has cut.");
    t.terminal = l("$ git status|On branch main|Your branch is up to date with origin.|"
                   "Changes not staged for commit:|modified: src/reader/layout.cpp|$ make test");
    t.chatNames = l("Sophie Turner|Daniel Green|Project team");
    t.chatPreviews = l("See you at the station|I sent the photos|Meeting moved to Friday");
    t.chatMessages = l("Are you coming to the concert tonight?|Yes, I bought the tickets this morning.|"
                       "Great, let us meet at the station at seven.|Perfect, I will bring the umbrella.");
    t.sheetHeaders = l("Region|Quarter|Sales|Growth");
    t.sheetRows = rows("North|First|12,400|4.5%;South|First|9,870|2.1%;East|Second|15,230|6.8%;"
                       "West|Second|7,610|1.2%;Total|Year|45,110|3.9%");
    t.titles = l("Account settings|News reader|Terminal|Messages|Sales report");
    t.panel = l("Activities|Thursday 14:20");
    return t;
}

ScreenTexts chinese()
{
    ScreenTexts t;
    t.menus = l("文件|编辑|视图|工具|帮助");
    t.formLabels = l("姓名：|电子邮箱：|所在城市：");
    t.formValues = l("王小明|wang@example.org|上海市浦东新区");
    t.checkbox = s("每周给我发送摘要");
    t.buttons = l("取消|保存修改");
    t.tableHeaders = l("产品|负责人|状态|更新时间");
    t.tableRows = rows("计费平台|李华|运行中|星期一;手机应用|张伟|已停止|星期二;搜索索引|刘洋|等待中|星期五;邮件服务|陈静|运行中|星期日");
    t.status = s("就绪：共列出四项服务");
    t.articleTitle = s("改变了河道的河流");
    t.byline = s("本报记者 李明 报道 两小时前更新");
    t.caption = s("从北边的大桥上看到的旧河床");
    t.sentences = l("上个世纪的那场大洪水之后，这条河向西移动了将近一公里。|"
                    "两岸的农民失去了家里几代人耕种过的田地。|"
                    "工程师后来修建了石墙，把河水留在新的河道里。|"
                    "如今旧河床变成了一片长长的草地，夏天傍晚孩子们在那里踢球。|"
                    "科学家每年春天仍然测量河岸，看看河水又冲刷了多远。");
    t.terminal = l("$ git status|位于分支 main|您的分支与上游分支一致。|尚未暂存以备提交的变更：|修改：src/reader/layout.cpp|$ make test");
    t.chatNames = l("林小雨|周大海|项目小组");
    t.chatPreviews = l("车站见|照片已经发给你了|会议改到星期五");
    t.chatMessages = l("今晚你来听音乐会吗？|来，我今天早上买好票了。|太好了，我们七点在车站见面吧。|好的，我会带上雨伞。");
    t.sheetHeaders = l("地区|季度|销售额|增长");
    t.sheetRows = rows("华北|第一季度|12,400|4.5%;华南|第一季度|9,870|2.1%;华东|第二季度|15,230|6.8%;西部|第二季度|7,610|1.2%;"
                       "合计|全年|45,110|3.9%");
    t.titles = l("账户设置|新闻阅读|终端|消息|销售报表");
    t.panel = l("活动|星期四 14:20");
    return t;
}

// Chinese screens with English words and names among the Chinese.
ScreenTexts mixed()
{
    ScreenTexts t = chinese();
    t.menus = l("文件|编辑|视图|Git|帮助");
    t.formValues = l("Alice 王|wang@example.org|上海 Pudong");
    t.tableRows = rows("Billing 平台|李华|Running|星期一;iOS 应用|张伟|已停止|Tuesday;Search 索引|刘洋|等待中|星期五;Mail 服务|陈静|Running|星期日");
    t.articleTitle = s("Python 与 Linux 的十年");
    t.sentences = l("我们在 Linux 服务器上使用 Python 处理数据已经十年了。|"
                    "第一个版本只支持 CSV 文件，后来又加入了 JSON 和 XML 的读取。|"
                    "团队每周五发布一次新版本，并在 GitHub 上记录所有修改。|"
                    "用户可以通过 Docker 在几分钟内启动整个系统。|"
                    "新的 Web 界面让非技术人员也能查看每天的报表。");
    t.chatMessages = l("今晚的 meeting 改到 Zoom 上了吗？|是的，link 已经发到群里了。|好的，我先把 PPT 改完。|记得把 PDF 版本也发一下。");
    t.titles = l("Settings 设置|News 阅读|Terminal|WeChat 消息|Excel 报表");
    return t;
}

ScreenTexts spanish()
{
    ScreenTexts t;
    t.menus = l("Archivo|Edición|Ver|Herramientas|Ayuda");
    t.formLabels = l("Nombre completo:|Correo electrónico:|Ciudad:");
    t.formValues = l("José María Núñez|jose@ejemplo.es|Logroño");
    t.checkbox = s("Envíame el resumen semanal");
    t.buttons = l("Cancelar|Guardar cambios");
    t.tableHeaders = l("Producto|Responsable|Estado|Actualización");
    t.tableRows = rows("Facturación|Inés Ibáñez|En marcha|Lunes;Aplicación móvil|Raúl Peña|Detenido|Martes;"
                       "Índice de búsqueda|Sofía Gómez|En espera|Miércoles;Correo|Andrés Muñoz|En marcha|Sábado");
    t.status = s("Listo: cuatro servicios en la lista");
    t.articleTitle = s("Ríos que cambiaron de cauce");
    t.byline = s("Por Lucía Martínez, sección de ciencia, hace dos horas");
    t.caption = s("El antiguo cauce visto desde el puente del norte");
    t.sentences = l("El río se desplazó casi un kilómetro hacia el oeste después de la gran inundación.|"
                    "Los agricultores de ambas orillas perdieron campos que sus familias cultivaban desde hacía años.|"
                    "Más tarde los ingenieros construyeron muros de piedra para mantener el agua en su nuevo cauce.|"
                    "Hoy el antiguo lecho es una pradera donde los niños juegan al fútbol en verano.|"
                    "Los científicos todavía miden las orillas cada primavera para saber cuánto ha erosionado el agua.");
    t.terminal = l("$ git status|En la rama main|Tu rama está actualizada con origin.|"
                   "Cambios no preparados para el commit:|modificado: src/lector/diseño.cpp|$ make test");
    t.chatNames = l("Begoña Ruiz|Íñigo López|Equipo del proyecto");
    t.chatPreviews = l("Nos vemos en la estación|Te envié las fotos|La reunión pasa al viernes");
    t.chatMessages = l("¿Vienes al concierto esta noche?|Sí, compré las entradas esta mañana.|"
                       "Genial, quedamos en la estación a las siete.|Perfecto, llevaré el paraguas.");
    t.sheetHeaders = l("Región|Trimestre|Ventas|Crecimiento");
    t.sheetRows = rows("Norte|Primero|12.400|4,5%;Sur|Primero|9.870|2,1%;Este|Segundo|15.230|6,8%;"
                       "Oeste|Segundo|7.610|1,2%;Total|Año|45.110|3,9%");
    t.titles = l("Configuración de la cuenta|Lector de noticias|Terminal|Mensajes|Informe de ventas");
    t.panel = l("Actividades|jueves 14:20");
    return t;
}

ScreenTexts french()
{
    ScreenTexts t;
    t.menus = l("Fichier|Édition|Affichage|Outils|Aide");
    t.formLabels = l("Nom complet :|Adresse électronique :|Ville :");
    t.formValues = l("Hélène Lefèvre|helene@exemple.fr|Besançon");
    t.checkbox = s("M'envoyer le résumé de la semaine");
    t.buttons = l("Annuler|Enregistrer");
    t.tableHeaders = l("Produit|Responsable|État|Mis à jour");
    t.tableRows = rows("Facturation|Gaëlle Noël|En cours|Lundi;Application|Jérôme Brûlé|Arrêté|Mardi;"
                       "Index de recherche|Chloé Dupré|En attente|Vendredi;"
                       "Messagerie|François Crête|En cours|Dimanche");
    t.status = s("Prêt : quatre services affichés");
    t.articleTitle = s("Les rivières qui ont changé de lit");
    t.byline = s("Par Élodie Moreau, rubrique sciences, il y a deux heures");
    t.caption = s("L'ancien lit vu depuis le pont du côté nord");
    t.sentences = l("La rivière s'est déplacée de près d'un kilomètre vers l'ouest après la grande crue.|"
                    "Les agriculteurs des deux rives ont perdu des champs cultivés depuis des générations.|"
                    "Les ingénieurs ont ensuite bâti des murs de pierre pour garder l'eau dans son nouveau lit.|"
                    "Aujourd'hui l'ancien lit est une prairie où les enfants jouent au football l'été.|"
                    "Les chercheurs mesurent encore les rives chaque printemps pour voir où l'eau a creusé.");
    t.terminal = l("$ git status|Sur la branche main|Votre branche est à jour avec origin.|"
                   "Modifications qui ne seront pas validées :|modifié : src/lecteur/mise_en_page.cpp|$ make test");
    t.chatNames = l("Amélie Faure|Noël Girard|Équipe du projet");
    t.chatPreviews = l("À tout à l'heure à la gare|J'ai envoyé les photos|Réunion déplacée à vendredi");
    t.chatMessages = l("Tu viens au concert ce soir ?|Oui, j'ai acheté les billets ce matin.|"
                       "Très bien, rendez-vous à la gare à sept heures.|Parfait, j'apporterai le parapluie.");
    t.sheetHeaders = l("Région|Trimestre|Ventes|Croissance");
    t.sheetRows = rows("Nord|Premier|12 400|4,5 %;Sud|Premier|9 870|2,1 %;Est|Deuxième|15 230|6,8 %;"
                       "Ouest|Deuxième|7 610|1,2 %;Total|Année|45 110|3,9 %");
    t.titles = l("Paramètres du compte|Lecteur d'actualités|Terminal|Messages|Rapport des ventes");
    t.panel = l("Activités|jeudi 14:20");
    return t;
}

ScreenTexts german()
{
    ScreenTexts t;
    t.menus = l("Datei|Bearbeiten|Ansicht|Extras|Hilfe");
    t.formLabels = l("Vollständiger Name:|E-Mail-Adresse:|Wohnort:");
    t.formValues = l("Jürgen Größner|juergen@beispiel.de|München");
    t.checkbox = s("Wöchentliche Übersicht zusenden");
    t.buttons = l("Abbrechen|Änderungen speichern");
    t.tableHeaders = l("Produkt|Verantwortlich|Status|Geändert");
    t.tableRows = rows("Abrechnung|Jörg Müller|Läuft|Montag;Mobile App|Käthe Schäfer|Gestoppt|Dienstag;"
                       "Suchindex|Björn Weiß|Wartet|Freitag;Mailserver|Uwe Köhler|Läuft|Sonntag");
    t.status = s("Bereit: vier Dienste aufgeführt");
    t.articleTitle = s("Flüsse, die ihren Lauf änderten");
    t.byline = s("Von Sören Bäcker, Wissenschaftsressort, vor zwei Stunden");
    t.caption = s("Das alte Flussbett von der nördlichen Brücke aus gesehen");
    t.sentences = l("Nach dem großen Hochwasser verschob sich der Fluss fast einen Kilometer nach Westen.|"
                    "Die Bauern an beiden Ufern verloren Felder, die ihre Familien seit Generationen bestellten.|"
                    "Später bauten Ingenieure Mauern aus Stein, um das Wasser in seinem neuen Bett zu halten.|"
                    "Heute ist das alte Bett eine lange Wiese, auf der Kinder im Sommer Fußball spielen.|"
                    "Forscher messen die Ufer noch jedes Frühjahr, um zu sehen, wie weit das Wasser gräbt.");
    t.terminal = l("$ git status|Auf Branch main|Ihr Branch ist auf demselben Stand wie origin.|"
                   "Änderungen, die nicht zum Commit vorgemerkt sind:|geändert: src/leser/größe.cpp|$ make test");
    t.chatNames = l("Lütje Hansen|Özlem Kaya|Projektgruppe");
    t.chatPreviews = l("Bis später am Bahnhof|Ich habe die Fotos geschickt|Besprechung auf Freitag verschoben");
    t.chatMessages = l("Kommst du heute Abend zum Konzert?|Ja, ich habe die Karten heute früh gekauft.|"
                       "Schön, treffen wir uns um sieben am Bahnhof.|Gut, ich bringe den Regenschirm mit.");
    t.sheetHeaders = l("Region|Quartal|Umsatz|Wachstum");
    t.sheetRows = rows("Nord|Erstes|12.400|4,5 %;Süd|Erstes|9.870|2,1 %;Ost|Zweites|15.230|6,8 %;"
                       "West|Zweites|7.610|1,2 %;Gesamt|Jahr|45.110|3,9 %");
    t.titles = l("Kontoeinstellungen|Nachrichten|Terminal|Mitteilungen|Umsatzbericht");
    t.panel = l("Aktivitäten|Donnerstag 14:20");
    return t;
}

// The texts of the busier screens.
void addBusyTexts(ScreenTexts& t, ScreenLanguage language)
{
    switch (language) {
    case ScreenLanguage::English:
        t.headline = s("Batteries are getting cheaper every year");
        t.formHeading = s("Account details");
        t.menuItems = rows(
            "New Project…|Ctrl+N;Open…|Ctrl+O;Save|Ctrl+S;Save As…|Ctrl+Shift+S;Print…|Ctrl+P;"
            "Close Window|Ctrl+W;Quit|Ctrl+Q");
        t.sections = l("General|Account|Privacy|Notifications|Storage|Network|Keyboard|Printers|Updates|About");
        t.listing =
            l("total 48|drwxr-xr-x 2 alice staff  4096 Mar  3 10:12 docs|"
              "-rw-r--r-- 1 alice staff 18342 Mar  3 09:58 README.md|"
              "-rwxr-xr-x 1 alice staff   734 Feb 27 16:40 build.sh|"
              "drwxr-xr-x 5 alice staff  4096 Mar  1 11:05 src|"
              "-rw-r--r-- 1 alice staff  2210 Mar  2 08:31 notes.txt");
        t.keyHeaders = l("Action|Keys|Uses|Change");
        t.keyRows = rows(
            "Save as|Ctrl+Shift+S|1,204|+45.7%;Copy|Ctrl+C|9,870|-2.1%;Paste|Ctrl+V|8,312|+6.8%;"
            "Undo|Ctrl+Z|4,610|-12.0%;Find|Ctrl+F|2,045|+0.9%;Translate|Ctrl+Shift+T|987|+31.4%");
        t.moreTitles = l("Daily News|Preferences|alice@laptop: ~/project|Shortcuts.xlsx");
        break;
    case ScreenLanguage::Chinese:
    case ScreenLanguage::Mixed:
        t.headline = s("电池价格逐年下降，续航越来越长");
        t.formHeading = s("账户详情");
        t.menuItems = rows(
            "新建项目…|Ctrl+N;打开…|Ctrl+O;保存|Ctrl+S;另存为…|Ctrl+Shift+S;打印…|Ctrl+P;"
            "关闭窗口|Ctrl+W;退出|Ctrl+Q");
        t.sections = l("通用|账户|隐私|通知|存储空间|网络|键盘|打印机|软件更新|关于本机");
        t.listing =
            l("总用量 48|drwxr-xr-x 2 alice staff  4096 3月   3 10:12 文档|"
              "-rw-r--r-- 1 alice staff 18342 3月   3 09:58 说明.md|"
              "-rwxr-xr-x 1 alice staff   734 2月  27 16:40 构建.sh|"
              "drwxr-xr-x 5 alice staff  4096 3月   1 11:05 源码|"
              "-rw-r--r-- 1 alice staff  2210 3月   2 08:31 笔记.txt");
        t.keyHeaders = l("操作|快捷键|次数|变化");
        t.keyRows = rows(
            "另存为|Ctrl+Shift+S|1,204|+45.7%;复制|Ctrl+C|9,870|-2.1%;粘贴|Ctrl+V|8,312|+6.8%;"
            "撤销|Ctrl+Z|4,610|-12.0%;查找|Ctrl+F|2,045|+0.9%;翻译|Ctrl+Shift+T|987|+31.4%");
        t.moreTitles = l("每日新闻|偏好设置|alice@laptop: ~/project|快捷键统计");
        if (language == ScreenLanguage::Chinese) break;
        t.headline = s("Tesla 与 BYD 的电池越来越便宜");
        t.formHeading = s("Account 详情");
        t.menuItems[0][0] = s("新建 Project…");
        t.menuItems[4][0] = s("导出 PDF…");
        t.sections = l("通用|Apple ID 账户|隐私|通知|iCloud 存储|网络|键盘|打印机|软件更新|关于本机");
        t.listing[1] = s("drwxr-xr-x 2 alice staff  4096 3月   3 10:12 docs");
        t.listing[2] = s("-rw-r--r-- 1 alice staff 18342 3月   3 09:58 README.md");
        t.keyRows[0][0] = s("导出 PDF");
        t.keyRows[2][0] = s("粘贴 HTML");
        t.keyRows[4][0] = s("Find 查找");
        t.moreTitles = l("Daily 新闻|偏好设置 Preferences|alice@laptop: ~/项目|Shortcuts 统计.xlsx");
        break;
    case ScreenLanguage::Spanish:
        t.headline = s("Las baterías son cada año más baratas");
        t.formHeading = s("Datos de la cuenta");
        t.menuItems = rows(
            "Nuevo proyecto…|Ctrl+N;Abrir…|Ctrl+O;Guardar|Ctrl+S;Guardar como…|Ctrl+Mayús+S;"
            "Imprimir…|Ctrl+P;Cerrar ventana|Ctrl+W;Salir|Ctrl+Q");
        t.sections =
            l("General|Cuenta|Privacidad|Notificaciones|Almacenamiento|Red|Teclado|Impresoras|"
              "Actualizaciones|Acerca de");
        t.listing =
            l("total 48|drwxr-xr-x 2 alice staff  4096 mar  3 10:12 documentos|"
              "-rw-r--r-- 1 alice staff 18342 mar  3 09:58 LÉAME.md|"
              "-rwxr-xr-x 1 alice staff   734 feb 27 16:40 compilar.sh|"
              "drwxr-xr-x 5 alice staff  4096 mar  1 11:05 src|"
              "-rw-r--r-- 1 alice staff  2210 mar  2 08:31 notas.txt");
        t.keyHeaders = l("Acción|Teclas|Usos|Cambio");
        t.keyRows = rows(
            "Guardar como|Ctrl+Mayús+S|1.204|+45,7%;Copiar|Ctrl+C|9.870|-2,1%;Pegar|Ctrl+V|8.312|+6,8%;"
            "Deshacer|Ctrl+Z|4.610|-12,0%;Buscar|Ctrl+F|2.045|+0,9%;Traducir|Ctrl+Mayús+T|987|+31,4%");
        t.moreTitles = l("Noticias del día|Preferencias|alice@portátil: ~/proyecto|Atajos.xlsx");
        break;
    case ScreenLanguage::French:
        t.headline = s("Les batteries coûtent moins cher chaque année");
        t.formHeading = s("Détails du compte");
        t.menuItems = rows(
            "Nouveau projet…|Ctrl+N;Ouvrir…|Ctrl+O;Enregistrer|Ctrl+S;Enregistrer sous…|Ctrl+Maj+S;"
            "Imprimer…|Ctrl+P;Fermer la fenêtre|Ctrl+W;Quitter|Ctrl+Q");
        t.sections =
            l("Général|Compte|Confidentialité|Notifications|Stockage|Réseau|Clavier|Imprimantes|"
              "Mises à jour|À propos");
        t.listing =
            l("total 48|drwxr-xr-x 2 alice staff  4096 mars   3 10:12 documents|"
              "-rw-r--r-- 1 alice staff 18342 mars   3 09:58 LISEZMOI.md|"
              "-rwxr-xr-x 1 alice staff   734 févr. 27 16:40 générer.sh|"
              "drwxr-xr-x 5 alice staff  4096 mars   1 11:05 src|"
              "-rw-r--r-- 1 alice staff  2210 mars   2 08:31 notes.txt");
        t.keyHeaders = l("Action|Touches|Utilisations|Évolution");
        t.keyRows = rows(
            "Enregistrer sous|Ctrl+Maj+S|1 204|+45,7 %;Copier|Ctrl+C|9 870|-2,1 %;"
            "Coller|Ctrl+V|8 312|+6,8 %;Annuler|Ctrl+Z|4 610|-12,0 %;Rechercher|Ctrl+F|2 045|+0,9 %;"
            "Traduire|Ctrl+Maj+T|987|+31,4 %");
        t.moreTitles = l("Le Quotidien|Préférences|alice@portable : ~/projet|Raccourcis.xlsx");
        break;
    case ScreenLanguage::German:
        t.headline = s("Akkus werden jedes Jahr günstiger");
        t.formHeading = s("Kontodaten");
        t.menuItems = rows(
            "Neues Projekt…|Strg+N;Öffnen…|Strg+O;Speichern|Strg+S;Speichern unter…|Strg+Umschalt+S;"
            "Drucken…|Strg+P;Fenster schließen|Strg+W;Beenden|Strg+Q");
        t.sections = l("Allgemein|Konto|Datenschutz|Mitteilungen|Speicher|Netzwerk|Tastatur|Drucker|Updates|Über");
        t.listing =
            l("insgesamt 48|drwxr-xr-x 2 alice staff  4096 Mär  3 10:12 Dokumente|"
              "-rw-r--r-- 1 alice staff 18342 Mär  3 09:58 LIESMICH.md|"
              "-rwxr-xr-x 1 alice staff   734 Feb 27 16:40 bauen.sh|"
              "drwxr-xr-x 5 alice staff  4096 Mär  1 11:05 src|"
              "-rw-r--r-- 1 alice staff  2210 Mär  2 08:31 Notizen.txt");
        t.keyHeaders = l("Aktion|Tasten|Aufrufe|Änderung");
        t.keyRows = rows(
            "Speichern unter|Strg+Umschalt+S|1.204|+45,7 %;Kopieren|Strg+C|9.870|-2,1 %;"
            "Einfügen|Strg+V|8.312|+6,8 %;Rückgängig|Strg+Z|4.610|-12,0 %;Suchen|Strg+F|2.045|+0,9 %;"
            "Übersetzen|Strg+Umschalt+T|987|+31,4 %");
        t.moreTitles = l("Tageszeitung|Einstellungen|alice@laptop: ~/projekt|Tastenkürzel.xlsx");
        break;
    }
}

}  // namespace

ScreenTexts screenTexts(ScreenLanguage language)
{
    static ScreenTexts (*const texts[])() = {english, chinese, mixed, spanish, french, german};
    ScreenTexts t = texts[int(language)]();
    t.times = l("09:41|09:42|09:45|09:47");
    addBusyTexts(t, language);
    return t;
}

}  // namespace klipo::test
