#include "ScreenTexts.h"

namespace klipo::test {

namespace {

QStringList list(std::initializer_list<const char*> items)
{
    QStringList out;
    for (const char* s : items) out << QString::fromUtf8(s);
    return out;
}

QString s(const char* utf8) { return QString::fromUtf8(utf8); }

ScreenTexts english()
{
    ScreenTexts t;
    t.menus = list({"File", "Edit", "View", "Tools", "Help"});
    t.formLabels = list({"Full name:", "Email address:", "Home city:"});
    t.formValues = list({"Margaret Wilson", "margaret@example.org", "Manchester"});
    t.checkbox = s("Send me the weekly summary");
    t.buttons = list({"Cancel", "Save changes"});
    t.tableHeaders = list({"Product", "Owner", "Status", "Updated"});
    t.tableRows = {list({"Billing portal", "Alice Cooper", "Running", "Monday"}),
                   list({"Mobile app", "Brian Hughes", "Stopped", "Tuesday"}),
                   list({"Search index", "Clara Jones", "Waiting", "Friday"}),
                   list({"Mail server", "David Brown", "Running", "Sunday"})};
    t.status = s("Ready: four services listed");
    t.articleTitle = s("Rivers that changed their course");
    t.byline = s("By Helen Carter, science desk, updated two hours ago");
    t.caption = s("The old riverbed seen from the northern bridge");
    t.sentences = list({"The river moved almost a mile to the west after the great flood of the last century.",
                        "Farmers on both banks lost fields that their families had worked for generations.",
                        "Engineers later built walls of stone to keep the water in its new channel.",
                        "Today the old bed is a long meadow where children play football on summer evenings.",
                        "Scientists still measure the banks every spring to see how far the water has cut.",
                        "Most rivers change their course slowly, but a single storm can move them in a night.",
                        "The town museum keeps maps that show every bend of the river over three hundred years.",
                        "Visitors often ask why the bridge stands so far from the water that it once crossed.",
                        "A small ferry still carries walkers across the river during the warm months.",
                        "The council plans a new path along the meadow with benches and trees for shade."});
    t.terminal = list({"$ git status", "On branch main", "Your branch is up to date with origin.",
                       "Changes not staged for commit:", "modified: src/reader/layout.cpp",
                       "$ make test", "Running 42 tests from 7 suites", "All tests passed in 3.1 seconds"});
    t.chatNames = list({"Sophie Turner", "Daniel Green", "Project team"});
    t.chatPreviews = list({"See you at the station", "I sent the photos", "Meeting moved to Friday"});
    t.chatMessages = list({"Are you coming to the concert tonight?", "Yes, I bought the tickets this morning.",
                           "Great, let us meet at the station at seven.", "Perfect, I will bring the umbrella."});
    t.times = list({"09:41", "09:42", "09:45", "09:47"});
    t.sheetHeaders = list({"Region", "Quarter", "Sales", "Growth"});
    t.sheetRows = {list({"North", "First", "12,400", "4.5%"}), list({"South", "First", "9,870", "2.1%"}),
                   list({"East", "Second", "15,230", "6.8%"}), list({"West", "Second", "7,610", "1.2%"}),
                   list({"Total", "Year", "45,110", "3.9%"})};
    t.titles = list({"Account settings", "News reader", "Terminal", "Messages", "Sales report"});
    t.panel = list({"Activities", "Thursday 14:20"});
    return t;
}

ScreenTexts chinese()
{
    ScreenTexts t;
    t.menus = list({"文件", "编辑", "视图", "工具", "帮助"});
    t.formLabels = list({"姓名：", "电子邮箱：", "所在城市："});
    t.formValues = list({"王小明", "wang@example.org", "上海市浦东新区"});
    t.checkbox = s("每周给我发送摘要");
    t.buttons = list({"取消", "保存修改"});
    t.tableHeaders = list({"产品", "负责人", "状态", "更新时间"});
    t.tableRows = {list({"计费平台", "李华", "运行中", "星期一"}), list({"手机应用", "张伟", "已停止", "星期二"}),
                   list({"搜索索引", "刘洋", "等待中", "星期五"}), list({"邮件服务", "陈静", "运行中", "星期日"})};
    t.status = s("就绪：共列出四项服务");
    t.articleTitle = s("改变了河道的河流");
    t.byline = s("本报记者 李明 报道 两小时前更新");
    t.caption = s("从北边的大桥上看到的旧河床");
    t.sentences = list({"上个世纪的那场大洪水之后，这条河向西移动了将近一公里。",
                        "两岸的农民失去了家里几代人耕种过的田地。",
                        "工程师后来修建了石墙，把河水留在新的河道里。",
                        "如今旧河床变成了一片长长的草地，夏天傍晚孩子们在那里踢球。",
                        "科学家每年春天仍然测量河岸，看看河水又冲刷了多远。",
                        "大多数河流改道很慢，但是一场暴雨就能在一夜之间改变它们。",
                        "镇上的博物馆保存着地图，显示了三百年来河流的每一个弯道。",
                        "游客常常问，为什么大桥离它曾经跨过的河水这么远。",
                        "温暖的月份里，一条小渡船仍然载着行人过河。",
                        "市政府计划沿着草地修一条新的小路，并种上树木遮阴。"});
    t.terminal = list({"$ git status", "位于分支 main", "您的分支与上游分支一致。", "尚未暂存以备提交的变更：",
                       "修改：src/reader/layout.cpp", "$ make test", "正在运行七个测试组中的四十二个测试",
                       "全部测试在三秒内通过"});
    t.chatNames = list({"林小雨", "周大海", "项目小组"});
    t.chatPreviews = list({"车站见", "照片已经发给你了", "会议改到星期五"});
    t.chatMessages = list({"今晚你来听音乐会吗？", "来，我今天早上买好票了。", "太好了，我们七点在车站见面吧。",
                           "好的，我会带上雨伞。"});
    t.times = list({"09:41", "09:42", "09:45", "09:47"});
    t.sheetHeaders = list({"地区", "季度", "销售额", "增长"});
    t.sheetRows = {list({"华北", "第一季度", "12,400", "4.5%"}), list({"华南", "第一季度", "9,870", "2.1%"}),
                   list({"华东", "第二季度", "15,230", "6.8%"}), list({"西部", "第二季度", "7,610", "1.2%"}),
                   list({"合计", "全年", "45,110", "3.9%"})};
    t.titles = list({"账户设置", "新闻阅读", "终端", "消息", "销售报表"});
    t.panel = list({"活动", "星期四 14:20"});
    return t;
}

// Chinese screens with English words and names among the Chinese.
ScreenTexts mixed()
{
    ScreenTexts t = chinese();
    t.menus = list({"文件", "编辑", "视图", "Git", "帮助"});
    t.formValues = list({"Alice 王", "wang@example.org", "上海 Pudong"});
    t.tableRows = {list({"Billing 平台", "李华", "Running", "星期一"}), list({"iOS 应用", "张伟", "已停止", "Tuesday"}),
                   list({"Search 索引", "刘洋", "等待中", "星期五"}), list({"Mail 服务", "陈静", "Running", "星期日"})};
    t.articleTitle = s("Python 与 Linux 的十年");
    t.sentences = list({"我们在 Linux 服务器上使用 Python 处理数据已经十年了。",
                        "第一个版本只支持 CSV 文件，后来又加入了 JSON 和 XML 的读取。",
                        "团队每周五发布一次新版本，并在 GitHub 上记录所有修改。",
                        "用户可以通过 Docker 在几分钟内启动整个系统。",
                        "新的 Web 界面让非技术人员也能查看每天的报表。",
                        "我们把日志集中存放在 Elasticsearch 中，方便搜索。",
                        "测试使用 GoogleTest 编写，每次提交都会自动运行。",
                        "明年计划把部分服务迁移到 Kubernetes 集群上。",
                        "文档使用 Markdown 编写，并自动生成 HTML 页面。",
                        "欢迎在 Issue 中提出问题和建议。"});
    t.chatMessages = list({"今晚的 meeting 改到 Zoom 上了吗？", "是的，link 已经发到群里了。",
                           "好的，我先把 PPT 改完。", "记得把 PDF 版本也发一下。"});
    t.titles = list({"Settings 设置", "News 阅读", "Terminal", "WeChat 消息", "Excel 报表"});
    return t;
}

ScreenTexts spanish()
{
    ScreenTexts t;
    t.menus = list({"Archivo", "Edición", "Ver", "Herramientas", "Ayuda"});
    t.formLabels = list({"Nombre completo:", "Correo electrónico:", "Ciudad:"});
    t.formValues = list({"José María Núñez", "jose@ejemplo.es", "Logroño"});
    t.checkbox = s("Envíame el resumen semanal");
    t.buttons = list({"Cancelar", "Guardar cambios"});
    t.tableHeaders = list({"Producto", "Responsable", "Estado", "Actualización"});
    t.tableRows = {list({"Facturación", "Inés Ibáñez", "En marcha", "Lunes"}),
                   list({"Aplicación móvil", "Raúl Peña", "Detenido", "Martes"}),
                   list({"Índice de búsqueda", "Sofía Gómez", "En espera", "Miércoles"}),
                   list({"Correo", "Andrés Muñoz", "En marcha", "Sábado"})};
    t.status = s("Listo: cuatro servicios en la lista");
    t.articleTitle = s("Ríos que cambiaron de cauce");
    t.byline = s("Por Lucía Martínez, sección de ciencia, hace dos horas");
    t.caption = s("El antiguo cauce visto desde el puente del norte");
    t.sentences = list({"El río se desplazó casi un kilómetro hacia el oeste después de la gran inundación.",
                        "Los agricultores de ambas orillas perdieron campos que sus familias cultivaban desde hacía años.",
                        "Más tarde los ingenieros construyeron muros de piedra para mantener el agua en su nuevo cauce.",
                        "Hoy el antiguo lecho es una pradera donde los niños juegan al fútbol en verano.",
                        "Los científicos todavía miden las orillas cada primavera para saber cuánto ha erosionado el agua.",
                        "La mayoría de los ríos cambian de cauce despacio, pero una tormenta puede moverlos en una noche.",
                        "El museo del pueblo guarda mapas que muestran cada curva del río durante tres siglos.",
                        "Los visitantes preguntan por qué el puente está tan lejos del agua que antes cruzaba.",
                        "Una pequeña barca todavía lleva a los caminantes al otro lado durante los meses cálidos.",
                        "El ayuntamiento planea un camino nuevo junto a la pradera, con bancos y árboles."});
    t.terminal = list({"$ git status", "En la rama main", "Tu rama está actualizada con origin.",
                       "Cambios no preparados para el commit:", "modificado: src/lector/diseño.cpp",
                       "$ make test", "Ejecutando 42 pruebas de 7 grupos", "Todas las pruebas pasaron en 3,1 segundos"});
    t.chatNames = list({"Begoña Ruiz", "Íñigo López", "Equipo del proyecto"});
    t.chatPreviews = list({"Nos vemos en la estación", "Te envié las fotos", "La reunión pasa al viernes"});
    t.chatMessages = list({"¿Vienes al concierto esta noche?", "Sí, compré las entradas esta mañana.",
                           "Genial, quedamos en la estación a las siete.", "Perfecto, llevaré el paraguas."});
    t.times = list({"09:41", "09:42", "09:45", "09:47"});
    t.sheetHeaders = list({"Región", "Trimestre", "Ventas", "Crecimiento"});
    t.sheetRows = {list({"Norte", "Primero", "12.400", "4,5%"}), list({"Sur", "Primero", "9.870", "2,1%"}),
                   list({"Este", "Segundo", "15.230", "6,8%"}), list({"Oeste", "Segundo", "7.610", "1,2%"}),
                   list({"Total", "Año", "45.110", "3,9%"})};
    t.titles = list({"Configuración de la cuenta", "Lector de noticias", "Terminal", "Mensajes", "Informe de ventas"});
    t.panel = list({"Actividades", "jueves 14:20"});
    return t;
}

ScreenTexts french()
{
    ScreenTexts t;
    t.menus = list({"Fichier", "Édition", "Affichage", "Outils", "Aide"});
    t.formLabels = list({"Nom complet :", "Adresse électronique :", "Ville :"});
    t.formValues = list({"Hélène Lefèvre", "helene@exemple.fr", "Besançon"});
    t.checkbox = s("M'envoyer le résumé de la semaine");
    t.buttons = list({"Annuler", "Enregistrer"});
    t.tableHeaders = list({"Produit", "Responsable", "État", "Mis à jour"});
    t.tableRows = {list({"Facturation", "Gaëlle Noël", "En cours", "Lundi"}),
                   list({"Application", "Jérôme Brûlé", "Arrêté", "Mardi"}),
                   list({"Index de recherche", "Chloé Dupré", "En attente", "Vendredi"}),
                   list({"Messagerie", "François Crête", "En cours", "Dimanche"})};
    t.status = s("Prêt : quatre services affichés");
    t.articleTitle = s("Les rivières qui ont changé de lit");
    t.byline = s("Par Élodie Moreau, rubrique sciences, il y a deux heures");
    t.caption = s("L'ancien lit vu depuis le pont du côté nord");
    t.sentences = list({"La rivière s'est déplacée de près d'un kilomètre vers l'ouest après la grande crue.",
                        "Les agriculteurs des deux rives ont perdu des champs cultivés depuis des générations.",
                        "Les ingénieurs ont ensuite bâti des murs de pierre pour garder l'eau dans son nouveau lit.",
                        "Aujourd'hui l'ancien lit est une prairie où les enfants jouent au football l'été.",
                        "Les chercheurs mesurent encore les rives chaque printemps pour voir où l'eau a creusé.",
                        "La plupart des rivières changent de cours lentement, mais un orage peut tout déplacer.",
                        "Le musée de la ville conserve des cartes qui montrent chaque méandre depuis trois siècles.",
                        "Les visiteurs se demandent pourquoi le pont est si éloigné de l'eau qu'il traversait.",
                        "Un petit bac transporte toujours les promeneurs d'une rive à l'autre pendant l'été.",
                        "La mairie prévoit un nouveau chemin le long de la prairie, avec des bancs et des arbres."});
    t.terminal = list({"$ git status", "Sur la branche main", "Votre branche est à jour avec origin.",
                       "Modifications qui ne seront pas validées :", "modifié : src/lecteur/mise_en_page.cpp",
                       "$ make test", "Exécution de 42 tests répartis en 7 groupes", "Tous les tests réussis en 3,1 secondes"});
    t.chatNames = list({"Amélie Faure", "Noël Girard", "Équipe du projet"});
    t.chatPreviews = list({"À tout à l'heure à la gare", "J'ai envoyé les photos", "Réunion déplacée à vendredi"});
    t.chatMessages = list({"Tu viens au concert ce soir ?", "Oui, j'ai acheté les billets ce matin.",
                           "Très bien, rendez-vous à la gare à sept heures.", "Parfait, j'apporterai le parapluie."});
    t.times = list({"09:41", "09:42", "09:45", "09:47"});
    t.sheetHeaders = list({"Région", "Trimestre", "Ventes", "Croissance"});
    t.sheetRows = {list({"Nord", "Premier", "12 400", "4,5 %"}), list({"Sud", "Premier", "9 870", "2,1 %"}),
                   list({"Est", "Deuxième", "15 230", "6,8 %"}), list({"Ouest", "Deuxième", "7 610", "1,2 %"}),
                   list({"Total", "Année", "45 110", "3,9 %"})};
    t.titles = list({"Paramètres du compte", "Lecteur d'actualités", "Terminal", "Messages", "Rapport des ventes"});
    t.panel = list({"Activités", "jeudi 14:20"});
    return t;
}

ScreenTexts german()
{
    ScreenTexts t;
    t.menus = list({"Datei", "Bearbeiten", "Ansicht", "Extras", "Hilfe"});
    t.formLabels = list({"Vollständiger Name:", "E-Mail-Adresse:", "Wohnort:"});
    t.formValues = list({"Jürgen Größner", "juergen@beispiel.de", "München"});
    t.checkbox = s("Wöchentliche Übersicht zusenden");
    t.buttons = list({"Abbrechen", "Änderungen speichern"});
    t.tableHeaders = list({"Produkt", "Verantwortlich", "Status", "Geändert"});
    t.tableRows = {list({"Abrechnung", "Jörg Müller", "Läuft", "Montag"}),
                   list({"Mobile App", "Käthe Schäfer", "Gestoppt", "Dienstag"}),
                   list({"Suchindex", "Björn Weiß", "Wartet", "Freitag"}),
                   list({"Mailserver", "Uwe Köhler", "Läuft", "Sonntag"})};
    t.status = s("Bereit: vier Dienste aufgeführt");
    t.articleTitle = s("Flüsse, die ihren Lauf änderten");
    t.byline = s("Von Sören Bäcker, Wissenschaftsressort, vor zwei Stunden");
    t.caption = s("Das alte Flussbett von der nördlichen Brücke aus gesehen");
    t.sentences = list({"Nach dem großen Hochwasser verschob sich der Fluss fast einen Kilometer nach Westen.",
                        "Die Bauern an beiden Ufern verloren Felder, die ihre Familien seit Generationen bestellten.",
                        "Später bauten Ingenieure Mauern aus Stein, um das Wasser in seinem neuen Bett zu halten.",
                        "Heute ist das alte Bett eine lange Wiese, auf der Kinder im Sommer Fußball spielen.",
                        "Forscher messen die Ufer noch jedes Frühjahr, um zu sehen, wie weit das Wasser gräbt.",
                        "Die meisten Flüsse ändern ihren Lauf langsam, doch ein Gewitter kann ihn über Nacht verlegen.",
                        "Das Museum der Stadt bewahrt Karten, die jede Biegung des Flusses zeigen.",
                        "Besucher fragen oft, warum die Brücke so weit vom Wasser entfernt steht.",
                        "Eine kleine Fähre bringt Wanderer in den wärmeren Monaten noch immer über den Fluss.",
                        "Die Gemeinde plant einen neuen Weg entlang der Wiese mit Bänken und schattigen Bäumen."});
    t.terminal = list({"$ git status", "Auf Branch main", "Ihr Branch ist auf demselben Stand wie origin.",
                       "Änderungen, die nicht zum Commit vorgemerkt sind:", "geändert: src/leser/größe.cpp",
                       "$ make test", "Führe 42 Tests aus 7 Gruppen aus", "Alle Tests in 3,1 Sekunden bestanden"});
    t.chatNames = list({"Lütje Hansen", "Özlem Kaya", "Projektgruppe"});
    t.chatPreviews = list({"Bis später am Bahnhof", "Ich habe die Fotos geschickt", "Besprechung auf Freitag verschoben"});
    t.chatMessages = list({"Kommst du heute Abend zum Konzert?", "Ja, ich habe die Karten heute früh gekauft.",
                           "Schön, treffen wir uns um sieben am Bahnhof.", "Gut, ich bringe den Regenschirm mit."});
    t.times = list({"09:41", "09:42", "09:45", "09:47"});
    t.sheetHeaders = list({"Region", "Quartal", "Umsatz", "Wachstum"});
    t.sheetRows = {list({"Nord", "Erstes", "12.400", "4,5 %"}), list({"Süd", "Erstes", "9.870", "2,1 %"}),
                   list({"Ost", "Zweites", "15.230", "6,8 %"}), list({"West", "Zweites", "7.610", "1,2 %"}),
                   list({"Gesamt", "Jahr", "45.110", "3,9 %"})};
    t.titles = list({"Kontoeinstellungen", "Nachrichten", "Terminal", "Mitteilungen", "Umsatzbericht"});
    t.panel = list({"Aktivitäten", "Donnerstag 14:20"});
    return t;
}

}  // namespace

ScreenTexts screenTexts(ScreenLanguage language)
{
    switch (language) {
    case ScreenLanguage::English: return english();
    case ScreenLanguage::Chinese: return chinese();
    case ScreenLanguage::Mixed: return mixed();
    case ScreenLanguage::Spanish: return spanish();
    case ScreenLanguage::French: return french();
    case ScreenLanguage::German: return german();
    }
    return english();
}

}  // namespace klipo::test
