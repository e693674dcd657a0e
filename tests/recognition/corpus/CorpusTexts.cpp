#include "corpus/CorpusTexts.h"

namespace klipo::test {

namespace {

QStringList split(const char* text) { return QString::fromUtf8(text).split(QLatin1Char('|')); }

CorpusTexts english()
{
    return {split("The city council approved a new plan for public transport on Tuesday evening.|"
                  "Buses will run every ten minutes on the main routes from the first of March.|"
                  "Local shops expect more visitors once the old market square reopens.|"
                  "The library has extended its opening hours during the exam period.|"
                  "Researchers found that short walks after lunch improve concentration.|"
                  "Volunteers planted more than two thousand trees along the river banks.|"
                  "The weather service warns of strong winds along the coast tomorrow.|"
                  "Tickets for the summer festival went on sale this morning and sold quickly.|"
                  "A new bridge will connect the two halves of the harbour by next spring.|"
                  "Most families now read the news on their phones before breakfast.|"
                  "The museum will show paintings that have never left the private collection.|"
                  "Engineers are testing quieter trains on the night line to the airport.|"
                  "Parents asked the school to keep the playground open until six.|"
                  "The football club signed two young players from the regional league.|"
                  "Prices of fresh vegetables fell slightly after a good harvest.|"
                  "Our team will review the report and send comments by Friday.|"
                  "Please remember to update the shared calendar before the meeting.|"
                  "The software update fixes several problems with printing and backups.|"
                  "You can change these settings at any time from the account page.|"
                  "Thanks for the quick reply, the files arrived safely this afternoon."),
            split("File|Edit|View|History|Bookmarks|Tools|Help|Settings|Account|Privacy|Downloads|Documents|"
                  "Pictures|Music|Recent|Starred|Trash|Open|Save as|Export|Print|Share|Search|Name|Size|Modified|"
                  "Status|Owner|Total|Price|Quantity|Order number|Delivery|Payment|Address|Notes|Reports|Project "
                  "plan|Weekly summary|Meeting notes|Budget draft|Travel photos|Invoices|Contacts|Calendar|Inbox|"
                  "Sent|Drafts|Archive|Language|Appearance|Notifications|Network|Keyboard|Display|Sound|Updates"),
            split("Anna Miller|James Carter|Sophie Turner|David Brown|Emma Wilson|Oliver Smith|Lucy Evans|Tom Baker"),
            split("City approves new transport plan|Festival tickets sold out in hours|"
                  "Bridge over the harbour opens next spring|Why short walks help you think")};
}

CorpusTexts spanish()
{
    return {split("El ayuntamiento aprobó el martes un nuevo plan de transporte público.|"
                  "Los autobuses pasarán cada diez minutos por las líneas principales.|"
                  "Los comercios esperan más visitantes cuando reabra la plaza del mercado.|"
                  "La biblioteca amplía su horario durante la época de exámenes.|"
                  "Los investigadores descubrieron que caminar después de comer ayuda a concentrarse.|"
                  "Los voluntarios plantaron más de dos mil árboles junto al río.|"
                  "El servicio meteorológico avisa de fuertes vientos en la costa mañana.|"
                  "Las entradas para el festival de verano se agotaron en pocas horas.|"
                  "Un nuevo puente unirá las dos orillas del puerto la próxima primavera.|"
                  "La mayoría de las familias lee las noticias en el móvil antes del desayuno.|"
                  "El museo mostrará cuadros que nunca habían salido de la colección privada.|"
                  "Los ingenieros prueban trenes más silenciosos en la línea nocturna.|"
                  "Los padres pidieron que el patio del colegio siga abierto hasta las seis.|"
                  "El precio de las verduras bajó un poco después de una buena cosecha.|"
                  "Nuestro equipo revisará el informe y enviará comentarios el viernes.|"
                  "Recuerda actualizar el calendario compartido antes de la reunión.|"
                  "La actualización corrige varios problemas con la impresión y las copias.|"
                  "Puedes cambiar estos ajustes en cualquier momento desde tu cuenta.|"
                  "Gracias por la respuesta rápida, los archivos llegaron esta tarde.|"
                  "¿Quién quiere acompañarnos a la excursión del sábado por la montaña?"),
            split("Archivo|Editar|Ver|Historial|Marcadores|Herramientas|Ayuda|Ajustes|Cuenta|Privacidad|Descargas|"
                  "Documentos|Imágenes|Música|Recientes|Destacados|Papelera|Abrir|Guardar como|Exportar|Imprimir|"
                  "Compartir|Buscar|Nombre|Tamaño|Modificado|Estado|Propietario|Total|Precio|Cantidad|Número de "
                  "pedido|Envío|Pago|Dirección|Notas|Informes|Plan del proyecto|Resumen semanal|Actas de reunión|"
                  "Presupuesto|Fotos del viaje|Facturas|Contactos|Calendario|Bandeja de entrada|Enviados|Borradores|"
                  "Idioma|Apariencia|Notificaciones|Red|Teclado|Pantalla|Sonido|Actualizaciones"),
            split("Lucía García|Javier Martín|Sofía López|Pablo Sánchez|Elena Romero|Andrés Núñez|Marta Díaz"),
            split("El ayuntamiento aprueba el nuevo plan de transporte|Las entradas del festival se agotan|"
                  "El puente del puerto abrirá en primavera|Por qué caminar ayuda a pensar")};
}

CorpusTexts french()
{
    return {split("Le conseil municipal a approuvé mardi un nouveau plan de transport.|"
                  "Les bus passeront toutes les dix minutes sur les lignes principales.|"
                  "Les commerçants attendent plus de visiteurs à la réouverture du marché.|"
                  "La bibliothèque prolonge ses horaires pendant la période des examens.|"
                  "Des chercheurs ont montré qu'une courte marche après le déjeuner aide à se concentrer.|"
                  "Des bénévoles ont planté plus de deux mille arbres le long de la rivière.|"
                  "Météo-France annonce des vents forts sur la côte demain matin.|"
                  "Les billets du festival d'été se sont vendus en quelques heures.|"
                  "Un nouveau pont reliera les deux rives du port au printemps prochain.|"
                  "La plupart des familles lisent les nouvelles sur leur téléphone au réveil.|"
                  "Le musée exposera des tableaux qui n'avaient jamais quitté la collection privée.|"
                  "Les ingénieurs testent des trains plus silencieux sur la ligne de nuit.|"
                  "Les parents ont demandé que la cour de l'école reste ouverte jusqu'à six heures.|"
                  "Le prix des légumes frais a légèrement baissé après une bonne récolte.|"
                  "Notre équipe relira le rapport et enverra ses remarques vendredi.|"
                  "Pensez à mettre à jour l'agenda partagé avant la réunion.|"
                  "La mise à jour corrige plusieurs problèmes d'impression et de sauvegarde.|"
                  "Vous pouvez modifier ces réglages à tout moment depuis votre compte.|"
                  "Merci pour la réponse rapide, les fichiers sont bien arrivés cet après-midi.|"
                  "Qui veut venir à la randonnée de samedi dans les collines ?"),
            split("Fichier|Édition|Affichage|Historique|Marque-pages|Outils|Aide|Paramètres|Compte|Confidentialité|"
                  "Téléchargements|Documents|Images|Musique|Récents|Favoris|Corbeille|Ouvrir|Enregistrer sous|"
                  "Exporter|Imprimer|Partager|Rechercher|Nom|Taille|Modifié le|État|Propriétaire|Total|Prix|"
                  "Quantité|Numéro de commande|Livraison|Paiement|Adresse|Remarques|Rapports|Plan du projet|"
                  "Résumé de la semaine|Compte rendu|Budget prévisionnel|Photos de vacances|Factures|Contacts|"
                  "Agenda|Boîte de réception|Envoyés|Brouillons|Langue|Apparence|Notifications|Réseau|Clavier|"
                  "Écran|Son|Mises à jour"),
            split("Camille Dubois|Hugo Lefèvre|Léa Moreau|Théo Girard|Chloé Fontaine|Étienne Roux|Inès Mercier"),
            split("Le conseil adopte le nouveau plan de transport|Festival d'été : billets épuisés|"
                  "Le pont du port ouvrira au printemps|Pourquoi marcher aide à réfléchir")};
}

CorpusTexts german()
{
    return {split("Der Stadtrat hat am Dienstag einen neuen Plan für den Nahverkehr beschlossen.|"
                  "Die Busse fahren ab März alle zehn Minuten auf den wichtigsten Linien.|"
                  "Die Geschäfte erwarten mehr Besucher, sobald der Marktplatz wieder öffnet.|"
                  "Die Bibliothek verlängert ihre Öffnungszeiten während der Prüfungswochen.|"
                  "Forscher fanden heraus, dass kurze Spaziergänge nach dem Essen die Konzentration fördern.|"
                  "Freiwillige haben mehr als zweitausend Bäume am Flussufer gepflanzt.|"
                  "Der Wetterdienst warnt für morgen vor starkem Wind an der Küste.|"
                  "Die Karten für das Sommerfest waren nach wenigen Stunden ausverkauft.|"
                  "Eine neue Brücke verbindet im nächsten Frühjahr beide Seiten des Hafens.|"
                  "Die meisten Familien lesen die Nachrichten schon vor dem Frühstück am Handy.|"
                  "Das Museum zeigt Gemälde, die die private Sammlung nie verlassen haben.|"
                  "Ingenieure testen leisere Züge auf der Nachtlinie zum Flughafen.|"
                  "Die Eltern baten darum, den Schulhof bis sechs Uhr offen zu lassen.|"
                  "Die Preise für frisches Gemüse sind nach einer guten Ernte leicht gefallen.|"
                  "Unser Team prüft den Bericht und schickt bis Freitag seine Anmerkungen.|"
                  "Bitte aktualisiere den gemeinsamen Kalender vor der Besprechung.|"
                  "Das Update behebt mehrere Fehler beim Drucken und bei Sicherungen.|"
                  "Diese Einstellungen kannst du jederzeit in deinem Konto ändern.|"
                  "Danke für die schnelle Antwort, die Dateien sind heute Nachmittag angekommen.|"
                  "Wer möchte am Samstag mit uns in die Berge wandern gehen?"),
            split("Datei|Bearbeiten|Ansicht|Verlauf|Lesezeichen|Werkzeuge|Hilfe|Einstellungen|Konto|Datenschutz|"
                  "Downloads|Dokumente|Bilder|Musik|Zuletzt verwendet|Markiert|Papierkorb|Öffnen|Speichern unter|"
                  "Exportieren|Drucken|Teilen|Suchen|Name|Größe|Geändert|Status|Besitzer|Summe|Preis|Menge|"
                  "Bestellnummer|Lieferung|Zahlung|Adresse|Notizen|Berichte|Projektplan|Wochenübersicht|"
                  "Besprechungsnotizen|Haushaltsentwurf|Urlaubsfotos|Rechnungen|Kontakte|Kalender|Posteingang|"
                  "Gesendet|Entwürfe|Sprache|Darstellung|Benachrichtigungen|Netzwerk|Tastatur|Bildschirm|Ton|"
                  "Aktualisierungen"),
            split("Jonas Müller|Lena Schäfer|Lukas Weiß|Mia Köhler|Felix Groß|Hannah Krüger|Paul Bäcker"),
            split("Stadtrat beschließt neuen Verkehrsplan|Sommerfest in Stunden ausverkauft|"
                  "Neue Hafenbrücke öffnet im Frühjahr|Warum Spazierengehen beim Denken hilft")};
}

CorpusTexts chinese()
{
    return {split("市议会周二晚上通过了一项新的公共交通计划。|"
                  "从三月一日起，主要线路的公交车每十分钟一班。|"
                  "老市场广场重新开放后，附近的商店期待更多顾客。|"
                  "考试期间，图书馆延长了开放时间。|"
                  "研究人员发现，午饭后散步有助于集中注意力。|"
                  "志愿者在河岸两旁种下了两千多棵树。|"
                  "气象部门提醒，明天沿海地区将有大风。|"
                  "夏季音乐节的门票今天早上开售，很快就卖完了。|"
                  "明年春天，一座新桥将连接港口的两岸。|"
                  "现在大多数家庭在早饭前用手机看新闻。|"
                  "博物馆将展出从未离开私人收藏的画作。|"
                  "工程师正在通往机场的夜间线路上测试更安静的列车。|"
                  "家长们希望学校操场开放到晚上六点。|"
                  "丰收之后，新鲜蔬菜的价格略有下降。|"
                  "我们的团队会审阅报告，并在周五前反馈意见。|"
                  "开会之前请记得更新共享日历。|"
                  "这次更新修复了打印和备份方面的几个问题。|"
                  "你可以随时在账户页面修改这些设置。|"
                  "谢谢你的及时回复，文件今天下午已经收到了。|"
                  "周六谁想和我们一起去爬山？"),
            split("文件|编辑|查看|历史|书签|工具|帮助|设置|账户|隐私|下载|文档|图片|音乐|最近使用|已加星标|回收站|打开|"
                  "另存为|导出|打印|分享|搜索|名称|大小|修改日期|状态|所有者|合计|价格|数量|订单编号|配送方式|付款方式|"
                  "收货地址|备注|报表|项目计划|每周总结|会议记录|预算草案|旅行照片|发票|联系人|日历|收件箱|已发送|"
                  "草稿箱|语言|外观|通知|网络|键盘|显示|声音|系统更新"),
            split("王小明|李静|张伟|刘洋|陈晨|赵磊|孙丽|周杰"),
            split("市议会通过新的交通计划|音乐节门票数小时内售罄|港口新桥明年春天通车|为什么散步有助于思考")};
}

CorpusTexts mixed()
{
    return {split("我们下周把 Android 和 iOS 的版本一起发布。|"
                  "请先在 GitHub 上提交 Pull Request 再合并。|"
                  "这个 API 的返回值改成了 JSON 格式。|"
                  "新版 Chrome 浏览器的启动速度快了不少。|"
                  "周五之前把 PPT 发到项目群里。|"
                  "服务器迁移到 Kubernetes 之后更稳定了。|"
                  "用 Python 写了一个脚本自动整理照片。|"
                  "请在 Settings 里打开 Dark Mode 试试。|"
                  "这篇文章介绍了 Linux 下常用的命令。|"
                  "会议改到 Zoom 上开，链接稍后发给大家。|"
                  "Wi-Fi 密码已经贴在前台了。|"
                  "新同事下周一开始负责 UI 设计。|"
                  "我在 Excel 表格里更新了本月的预算。|"
                  "这个 Bug 只在 Windows 11 上出现。|"
                  "请把 PDF 版本的合同发到我的邮箱。|"
                  "我们用 Docker 部署了测试环境。|"
                  "今天的 Demo 效果很好，客户很满意。|"
                  "记得在 README 里写清楚安装步骤。|"
                  "明天上午十点在 B 栋三楼开 Review 会。|"
                  "这款 App 支持离线地图和语音导航。"),
            split("文件 File|编辑|查看 View|Git 历史|书签|工具|帮助|设置|账户|隐私|下载|文档|图片|音乐|最近使用|"
                  "已加星标|回收站|打开|另存为 PDF|导出 CSV|打印|分享|搜索|名称|大小|修改日期|状态|所有者|合计|价格|"
                  "数量|订单 ID|配送|付款|地址|备注|报表|项目计划|Weekly 周报|会议记录|预算草案|旅行照片|发票|联系人|"
                  "日历|收件箱 Inbox|已发送|草稿|语言|外观|通知|网络 Wi-Fi|键盘|显示|声音|更新"),
            split("王小明|Lisa Chen|张伟|David Li|陈晨|Kevin Zhao|孙丽|Amy Zhou"),
            split("Android 新版本下周发布|Kubernetes 迁移完成|GitHub 上的开源项目|Linux 常用命令入门")};
}

}  // namespace

const CorpusTexts& corpusTexts(ScreenLanguage language)
{
    static const CorpusTexts all[] = {english(), chinese(), mixed(), spanish(), french(), german()};
    return all[int(language)];
}

}  // namespace klipo::test
