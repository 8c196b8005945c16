<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>CanIdSummaryModel</name>
    <message>
        <location filename="../mainwindow/canidsummarymodel.cpp" line="67"/>
        <source>上一周期超过期望周期的 1.5 倍</source>
        <translation>The last period was more than 1.5 times the expected one</translation>
    </message>
</context>
<context>
    <name>CanRxModel</name>
    <message>
        <location filename="../mainwindow/canrxmodel.cpp" line="220"/>
        <source>接收暂停 %1 s</source>
        <translation>Receiving paused %1 s</translation>
    </message>
    <message>
        <location filename="../mainwindow/canrxmodel.cpp" line="249"/>
        <source>接收已暂停：%1</source>
        <translation>Receiving paused: %1</translation>
    </message>
</context>
<context>
    <name>CanTab</name>
    <message>
        <location filename="../mainwindow/cantab.ui" line="31"/>
        <source>CAN RX</source>
        <translation>CAN RX</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="104"/>
        <source>冻结视图</source>
        <translation>Freeze view</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="133"/>
        <location filename="../mainwindow/cantab_rx.cpp" line="171"/>
        <location filename="../mainwindow/cantab_rx.cpp" line="178"/>
        <location filename="../mainwindow/cantab_rx.cpp" line="187"/>
        <location filename="../mainwindow/cantab_rx.cpp" line="214"/>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="146"/>
        <source>按 ID</source>
        <translation>By ID</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="215"/>
        <source>时间: 读取时刻</source>
        <translation>Time: when read</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="220"/>
        <source>时间: 相对首帧</source>
        <translation>Time: since first</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="225"/>
        <source>时间: 同 ID 间隔</source>
        <translation>Time: gap per ID</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="239"/>
        <source>ID 过滤: 7DF, 100-1FF</source>
        <translation>ID filter: 7DF, 100-1FF</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="253"/>
        <source>只显示这些 ID</source>
        <translation>Show only these IDs</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="258"/>
        <source>隐藏这些 ID</source>
        <translation>Hide these IDs</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="272"/>
        <source>查找数据: 02 ?? 0C</source>
        <translation>Find data: 02 ?? 0C</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="285"/>
        <source>上一个</source>
        <translation>Previous</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="298"/>
        <source>下一个</source>
        <translation>Next</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="335"/>
        <source>CAN TX</source>
        <translation>CAN TX</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="348"/>
        <source>ID</source>
        <translation>ID</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="367"/>
        <source> 0  1  2  3  4  5  6  7    </source>
        <translation> 0  1  2  3  4  5  6  7    </translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="380"/>
        <source>DATA</source>
        <translation>DATA</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="457"/>
        <location filename="../mainwindow/cantab.ui" line="614"/>
        <source>发送</source>
        <translation>Send</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="495"/>
        <location filename="../mainwindow/cantab.ui" line="652"/>
        <source>周期发送</source>
        <translation>Periodic</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="524"/>
        <source>回放…</source>
        <translation>Replay…</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.cpp" line="153"/>
        <location filename="../mainwindow/cantab.cpp" line="158"/>
        <source>信息</source>
        <translation>Information</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.cpp" line="153"/>
        <source>CAN ID有误：应为1~3位十六进制数，不大于7FF</source>
        <translation>Wrong CAN ID: enter 1 to 3 hex digits, at most 7FF</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.cpp" line="159"/>
        <source>CAN数据有误：应为最多8个字节，每个1~2位十六进制数，以单个空格分隔；或不带空格的偶数位十六进制数，最多16位</source>
        <translation>Wrong CAN data: enter up to 8 bytes of 1 or 2 hex digits separated by single spaces, or an even number of hex digits (at most 16) without spaces</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_replay.cpp" line="16"/>
        <location filename="../mainwindow/cantab_replay.cpp" line="22"/>
        <location filename="../mainwindow/cantab_replay.cpp" line="50"/>
        <location filename="../mainwindow/cantab_replay.cpp" line="57"/>
        <location filename="../mainwindow/cantab_replay.cpp" line="62"/>
        <source>回放</source>
        <translation>Replay</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_replay.cpp" line="23"/>
        <source>无法打开文件：%1</source>
        <translation>Cannot open the file: %1</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_replay.cpp" line="31"/>
        <source>无法读取</source>
        <translation>it cannot be read</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_replay.cpp" line="34"/>
        <source>标识符大于7FF</source>
        <translation>an identifier above 7FF</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_replay.cpp" line="37"/>
        <source>数据超过8个字节</source>
        <translation>more than 8 data bytes</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_replay.cpp" line="40"/>
        <source>远程帧</source>
        <translation>a remote frame</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_replay.cpp" line="43"/>
        <source>错误帧</source>
        <translation>an error frame</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_replay.cpp" line="46"/>
        <source>CAN FD 帧</source>
        <translation>a CAN FD frame</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_replay.cpp" line="51"/>
        <source>%1无法回放：%2</source>
        <translation>%1 cannot be replayed: %2</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_replay.cpp" line="58"/>
        <source>文件超过 %1 帧，无法回放</source>
        <translation>The file has more than %1 frames and cannot be replayed</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_replay.cpp" line="62"/>
        <source>文件中没有帧</source>
        <translation>The file holds no frames</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_rx.cpp" line="124"/>
        <source>已接收: %1</source>
        <translation>Received: %1</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_rx.cpp" line="125"/>
        <source>速率: %1 帧/秒</source>
        <translation>Rate: %1 frames/s</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_rx.cpp" line="126"/>
        <source>超限移除: %1</source>
        <translation>Over limit: %1</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_rx.cpp" line="157"/>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_rx.cpp" line="158"/>
        <source>全部删除</source>
        <translation>Delete all</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_record.cpp" line="27"/>
        <location filename="../mainwindow/cantab_record.cpp" line="33"/>
        <location filename="../mainwindow/cantab_record.cpp" line="45"/>
        <location filename="../mainwindow/cantab_record.cpp" line="90"/>
        <source>记录到文件</source>
        <translation>Record to file</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_record.cpp" line="34"/>
        <location filename="../mainwindow/cantab_rx.cpp" line="179"/>
        <source>请使用 .log、.csv、.asc、.trc 或 .blf 文件名</source>
        <translation>Please use a .log, .csv, .asc, .trc or .blf file name</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_record.cpp" line="45"/>
        <source>无法记录：%1</source>
        <translation>Cannot record: %1</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_record.cpp" line="77"/>
        <source>正在结束记录：%1 (%2)</source>
        <translation>Ending the recording: %1 (%2)</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_record.cpp" line="78"/>
        <source>记录中：%1 (%2)</source>
        <translation>Recording: %1 (%2)</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_record.cpp" line="91"/>
        <source>记录已停止：%1
接收表格中的帧都还在。</source>
        <translation>Recording stopped: %1
The frames in the receive table are all still there.</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_rx.cpp" line="187"/>
        <location filename="../mainwindow/cantab_rx.cpp" line="214"/>
        <source>保存失败：%1</source>
        <translation>Saving failed: %1</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_rx.cpp" line="196"/>
        <source>正在保存...</source>
        <translation>Saving...</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_rx.cpp" line="196"/>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="396"/>
        <location filename="../mainwindow/cantab.ui" line="553"/>
        <source>从已加载的 DBC 报文生成 ID 和数据</source>
        <translation>Fill in the ID and data from a message of the loaded DBC</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="399"/>
        <location filename="../mainwindow/cantab.ui" line="556"/>
        <source>DBC…</source>
        <translation>DBC…</translation>
    </message>
</context>
<context>
    <name>CanTracePanel</name>
    <message>
        <location filename="../mainwindow/cantracepanel.cpp" line="79"/>
        <source>解除冻结</source>
        <translation>Unfreeze</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracepanel.cpp" line="79"/>
        <source>冻结视图</source>
        <translation>Freeze view</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracepanel.cpp" line="111"/>
        <location filename="../mainwindow/cantracepanel.cpp" line="115"/>
        <location filename="../mainwindow/cantracepanel.cpp" line="127"/>
        <source>信息</source>
        <translation>Information</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracepanel.cpp" line="116"/>
        <source>ID 过滤有误：应为十六进制 ID 或范围（如 7DF, 100-1FF），以逗号或空格分隔</source>
        <translation>Bad ID filter: hexadecimal IDs or ranges (such as 7DF, 100-1FF), separated by commas or spaces</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracepanel.cpp" line="128"/>
        <source>查找内容有误：应为两位十六进制字节或 ??，以空格分隔</source>
        <translation>Bad search: two-digit hexadecimal bytes or ??, separated by spaces</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracepanel.cpp" line="136"/>
        <source>未找到</source>
        <translation>Not found</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracepanel.cpp" line="200"/>
        <source>未显示: %1</source>
        <translation>Not shown: %1</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracepanel.cpp" line="112"/>
        <source>ID 过滤有误：应为十六进制 ID、范围（如 7DF, 100-1FF）或 DBC 中的报文名，以逗号或空格分隔</source>
        <translation>Bad ID filter: hexadecimal IDs, ranges (such as 7DF, 100-1FF) or message names of the DBC, separated by commas or spaces</translation>
    </message>
</context>
<context>
    <name>CanTraceWindow</name>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="14"/>
        <source>接收窗口</source>
        <translation>Trace window</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="22"/>
        <source>打开…</source>
        <translation>Open…</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="29"/>
        <source>冻结视图</source>
        <translation>Freeze view</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="39"/>
        <source>按 ID</source>
        <translation>By ID</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="50"/>
        <source>时间: 读取时刻</source>
        <translation>Time: when read</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="55"/>
        <source>时间: 相对首帧</source>
        <translation>Time: since first</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="60"/>
        <source>时间: 同 ID 间隔</source>
        <translation>Time: gap per ID</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="74"/>
        <source>ID 过滤: 7DF, 100-1FF</source>
        <translation>ID filter: 7DF, 100-1FF</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="82"/>
        <source>只显示这些 ID</source>
        <translation>Show only these IDs</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="87"/>
        <source>隐藏这些 ID</source>
        <translation>Hide these IDs</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="101"/>
        <source>查找数据: 02 ?? 0C</source>
        <translation>Find data: 02 ?? 0C</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="108"/>
        <source>上一个</source>
        <translation>Previous</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="115"/>
        <source>下一个</source>
        <translation>Next</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.cpp" line="61"/>
        <source>帧数: %1 / %2</source>
        <translation>Frames: %1 / %2</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.cpp" line="63"/>
        <source>帧数: %1</source>
        <translation>Frames: %1</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.cpp" line="84"/>
        <source>标识符大于 FFFF</source>
        <translation>identifier above FFFF</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.cpp" line="86"/>
        <source>数据超过 64 个字节</source>
        <translation>more than 64 data bytes</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.cpp" line="88"/>
        <source>远程帧</source>
        <translation>a remote frame</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.cpp" line="90"/>
        <source>错误帧</source>
        <translation>an error frame</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.cpp" line="92"/>
        <source>CAN FD 帧</source>
        <translation>a CAN FD frame</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.cpp" line="96"/>
        <source>不是帧的格式</source>
        <translation>not a frame line</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.cpp" line="101"/>
        <source>第 %1 字节处的对象</source>
        <translation>The object at byte %1</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.cpp" line="101"/>
        <source>第 %1 行</source>
        <translation>Line %1</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.cpp" line="106"/>
        <source>打开</source>
        <translation>Open</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.cpp" line="123"/>
        <source>无法打开文件：%1</source>
        <translation>Cannot open the file: %1</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.cpp" line="132"/>
        <source>%1无法读取（%2），文件中没有可显示的帧</source>
        <translation>%1 cannot be read (%2); the file holds no frame to show</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.cpp" line="146"/>
        <source>%1无法读取（%2），已跳过；共跳过 %3 处，其余已载入</source>
        <translation>%1 cannot be read (%2) and was skipped; %3 places skipped in all, the rest is loaded</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.cpp" line="136"/>
        <source>文件中没有帧</source>
        <translation>The file holds no frames</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.cpp" line="142"/>
        <source>接收窗口 - %1</source>
        <translation>Trace window - %1</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.cpp" line="152"/>
        <source>文件有 %1 帧，超过行数上限，只显示最后 %2 帧</source>
        <translation>The file holds %1 frames, more than the row limit; only the last %2 are shown</translation>
    </message>
</context>
<context>
    <name>DbcFrameDialog</name>
    <message>
        <location filename="../mainwindow/dbcframedialog.cpp" line="64"/>
        <source>从 DBC 生成帧</source>
        <translation>Frame from DBC</translation>
    </message>
    <message>
        <location filename="../mainwindow/dbcframedialog.cpp" line="69"/>
        <source>信号</source>
        <translation>Signal</translation>
    </message>
    <message>
        <location filename="../mainwindow/dbcframedialog.cpp" line="69"/>
        <source>值</source>
        <translation>Value</translation>
    </message>
    <message>
        <location filename="../mainwindow/dbcframedialog.cpp" line="69"/>
        <source>单位</source>
        <translation>Unit</translation>
    </message>
    <message>
        <location filename="../mainwindow/dbcframedialog.cpp" line="69"/>
        <source>范围</source>
        <translation>Range</translation>
    </message>
    <message>
        <location filename="../mainwindow/dbcframedialog.cpp" line="129"/>
        <source>DBC 中没有可发送的报文</source>
        <translation>The DBC has no message to send</translation>
    </message>
    <message>
        <location filename="../mainwindow/dbcframedialog.cpp" line="168"/>
        <source>%1 的值不是数字</source>
        <translation>The value of %1 is not a number</translation>
    </message>
    <message>
        <location filename="../mainwindow/dbcframedialog.cpp" line="175"/>
        <source>数据：%1</source>
        <translation>Data: %1</translation>
    </message>
</context>
<context>
    <name>InfoTab</name>
    <message>
        <location filename="../mainwindow/infotab.ui" line="23"/>
        <source>.</source>
        <translation>.</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.ui" line="49"/>
        <source>连接</source>
        <translation>Connect</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.ui" line="102"/>
        <source>软件 ID:</source>
        <translation>Software ID:</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.ui" line="115"/>
        <source>软件版本:</source>
        <translation>Software version:</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.ui" line="128"/>
        <source>硬件ID:</source>
        <translation>Hardware ID:</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.ui" line="141"/>
        <source>WIFI名称:</source>
        <translation>WiFi name:</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.ui" line="154"/>
        <source>WIFI密码:</source>
        <translation>WiFi password:</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.ui" line="191"/>
        <location filename="../mainwindow/infotab.ui" line="204"/>
        <location filename="../mainwindow/infotab.ui" line="217"/>
        <location filename="../mainwindow/infotab.ui" line="230"/>
        <location filename="../mainwindow/infotab.ui" line="243"/>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.ui" line="271"/>
        <source>读取信息</source>
        <translation>Read info</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.ui" line="306"/>
        <source>新WIFI名称:</source>
        <translation>New WiFi name:</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.ui" line="325"/>
        <source>新WIFI密码:</source>
        <translation>New password:</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.ui" line="373"/>
        <source>（1~32个字符）</source>
        <translation>(1-32 chars)</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.ui" line="386"/>
        <source>显示</source>
        <translation>Show</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.ui" line="399"/>
        <source>（8~63个ASCII字符；留空则为开放网络）</source>
        <translation>(8-63 ASCII chars; empty: an open network)</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.ui" line="424"/>
        <source>更新WIFI设置</source>
        <translation>Update WiFi</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.cpp" line="76"/>
        <source>VOTK已连接</source>
        <translation>Connected</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.cpp" line="81"/>
        <source>VOTK已断开</source>
        <translation>Disconnected</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.cpp" line="166"/>
        <source>WIFI名称不能为空</source>
        <translation>The WiFi name must not be empty</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.cpp" line="168"/>
        <source>WIFI名称不能包含“,”</source>
        <translation>The WiFi name must not contain &quot;,&quot;</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.cpp" line="170"/>
        <source>WIFI名称只能包含西文字符（Latin-1），不支持中文等</source>
        <translation>The WiFi name may only contain Latin-1 characters (no Chinese etc.)</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.cpp" line="172"/>
        <source>WIFI密码不能包含“,”</source>
        <translation>The WiFi password must not contain &quot;,&quot;</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.cpp" line="174"/>
        <source>WIFI密码只能包含西文字符（Latin-1），不支持中文等</source>
        <translation>The WiFi password may only contain Latin-1 characters (no Chinese etc.)</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.cpp" line="176"/>
        <source>WIFI名称不能包含控制字符（换行、制表符等）</source>
        <translation>The WiFi name must not contain control characters (line breaks, tabs etc.)</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.cpp" line="178"/>
        <source>WIFI密码不能包含控制字符（换行、制表符等）</source>
        <translation>The WiFi password must not contain control characters (line breaks, tabs etc.)</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.cpp" line="180"/>
        <source>WIFI名称和密码合计不能超过%1个字符</source>
        <translation>The WiFi name and password together must not exceed %1 characters</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.cpp" line="182"/>
        <source>WIFI名称不能超过%1个字符</source>
        <translation>The WiFi name cannot be longer than %1 characters</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.cpp" line="184"/>
        <source>WIFI密码只能包含可打印的ASCII字符</source>
        <translation>The WiFi password may hold printable ASCII characters only</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.cpp" line="186"/>
        <source>WIFI密码至少需要%1个字符</source>
        <translation>The WiFi password needs at least %1 characters</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.cpp" line="188"/>
        <source>WIFI密码不能超过%1个字符</source>
        <translation>The WiFi password cannot be longer than %1 characters</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.cpp" line="204"/>
        <location filename="../mainwindow/infotab.cpp" line="208"/>
        <location filename="../mainwindow/infotab.cpp" line="230"/>
        <location filename="../mainwindow/infotab.cpp" line="232"/>
        <source>信息</source>
        <translation>Information</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.cpp" line="209"/>
        <source>密码为空：WIFI将成为开放网络，范围内任何人都可以连接。仍要设置吗？</source>
        <translation>The password is empty: the WiFi network will be open, and anyone in range can join it. Set it anyway?</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.cpp" line="230"/>
        <source>WIFI信息已设置</source>
        <translation>WiFi information set</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.cpp" line="232"/>
        <source>WIFI信息设置失败</source>
        <translation>Failed to set the WiFi information</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="14"/>
        <source>VOTK-WIFI BOX</source>
        <translation>VOTK-WIFI BOX</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="37"/>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="42"/>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="48"/>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="95"/>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="157"/>
        <source>信息</source>
        <translation>Information</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="42"/>
        <source>CAN</source>
        <translation>CAN</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="63"/>
        <source>文件(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="70"/>
        <source>视图(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="82"/>
        <source>关于(&amp;A)</source>
        <translation>&amp;About</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="93"/>
        <source>记录到文件…(&amp;R)</source>
        <translation>&amp;Record to file…</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="101"/>
        <source>停止记录(&amp;E)</source>
        <translation>Stop r&amp;ecording</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="106"/>
        <source>设置(&amp;S)</source>
        <translation>&amp;Settings</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="111"/>
        <source>退出(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="119"/>
        <source>接收窗口(&amp;T)</source>
        <translation>&amp;Trace window</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="124"/>
        <source>打开…(&amp;O)</source>
        <translation>&amp;Open…</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="140"/>
        <source>卸载 DBC(&amp;U)</source>
        <translation>&amp;Unload DBC</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="145"/>
        <source>信号图(&amp;P)</source>
        <translation>Signal &amp;plot</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="150"/>
        <source>关于VOTK(&amp;V)</source>
        <translation>About &amp;VOTK</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="47"/>
        <source>固件升级</source>
        <translation>Firmware upgrade</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.cpp" line="167"/>
        <source>正在升级固件</source>
        <translation>firmware upgrade under way</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.cpp" line="169"/>
        <source>盒子未连接</source>
        <translation>the box is not connected</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.cpp" line="171"/>
        <source>CAN 页未显示</source>
        <translation>the CAN tab is not shown</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.cpp" line="237"/>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.cpp" line="237"/>
        <source>VOTK-Tarnwell 1.2</source>
        <translation>VOTK-Tarnwell 1.2</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="157"/>
        <source>正在升级固件，请稍候</source>
        <translation>Firmware upgrade in progress, please wait</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="49"/>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="59"/>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="61"/>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="73"/>
        <source>VOTK连接失败</source>
        <translation>VOTK connection failed</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="50"/>
        <source>VOTK设备拒绝进入USB模式</source>
        <translation>The VOTK box refused USB mode</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="59"/>
        <source>未找到VOTK设备，请检查USB线</source>
        <translation>No VOTK box found; check the USB cable</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="62"/>
        <source>没有访问VOTK设备的权限：请安装udev规则 %1，然后重新插拔设备</source>
        <translation>No permission to open the VOTK box: install the udev rule %1, then unplug and replug the box</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="71"/>
        <source>无法锁定VOTK设备，未打开设备</source>
        <translation>The VOTK box could not be locked, so it was not opened</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="95"/>
        <source>VOTK未连接</source>
        <translation>VOTK not connected</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="131"/>
        <source>已连接</source>
        <translation>Connected</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="131"/>
        <source>已连接：%1</source>
        <translation>Connected: %1</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="135"/>
        <source>固件 %1</source>
        <translation>firmware %1</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="138"/>
        <source>等待设备</source>
        <translation>Waiting for a box</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="138"/>
        <source>未连接</source>
        <translation>Not connected</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="148"/>
        <location filename="../mainwindow/mainwindow_hotplug.cpp" line="44"/>
        <location filename="../mainwindow/mainwindow_hotplug.cpp" line="59"/>
        <source>USB线连接</source>
        <translation>USB cable connected</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="148"/>
        <location filename="../mainwindow/mainwindow_hotplug.cpp" line="99"/>
        <location filename="../mainwindow/mainwindow_hotplug.cpp" line="103"/>
        <source>USB线断开</source>
        <translation>USB cable disconnected</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.cpp" line="75"/>
        <source>配置文件 %1 无法写入，设置只在本次运行中有效</source>
        <translation>%1 cannot be written; settings apply to this run only</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="65"/>
        <source>VOTK设备正被其他程序使用</source>
        <translation>The VOTK box is in use by another program</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="66"/>
        <source>程序: %1 (PID %2)</source>
        <translation>Program: %1 (PID %2)</translation>
    </message>
    <message>
        <location filename="../mainwindow/capturechooser.cpp" line="23"/>
        <source>candump 日志 (*.log)</source>
        <translation>candump log (*.log)</translation>
    </message>
    <message>
        <location filename="../mainwindow/capturechooser.cpp" line="25"/>
        <source>CSV 文件 (*.csv)</source>
        <translation>CSV file (*.csv)</translation>
    </message>
    <message>
        <location filename="../mainwindow/capturechooser.cpp" line="26"/>
        <source>Vector ASC 文件 (*.asc)</source>
        <translation>Vector ASC file (*.asc)</translation>
    </message>
    <message>
        <location filename="../mainwindow/capturechooser.cpp" line="28"/>
        <source>PEAK TRC 文件 (*.trc)</source>
        <translation>PEAK TRC file (*.trc)</translation>
    </message>
    <message>
        <location filename="../mainwindow/capturechooser.cpp" line="30"/>
        <source>Vector BLF 文件 (*.blf)</source>
        <translation>Vector BLF file (*.blf)</translation>
    </message>
    <message>
        <location filename="../mainwindow/capturechooser.cpp" line="32"/>
        <source>python-can CSV 文件 (*.csv)</source>
        <translation>python-can CSV file (*.csv)</translation>
    </message>
    <message>
        <location filename="../mainwindow/capturechooser.cpp" line="60"/>
        <source>所有记录 (*.log *.csv *.asc *.trc *.blf)</source>
        <translation>All captures (*.log *.csv *.asc *.trc *.blf)</translation>
    </message>
    <message>
        <location filename="../mainwindow/capturechooser.cpp" line="72"/>
        <source>请使用 .log、.csv、.asc、.trc 或 .blf 文件名</source>
        <translation>Please use a .log, .csv, .asc, .trc or .blf file name</translation>
    </message>
    <message>
        <location filename="../mainwindow/capturechooser.cpp" line="83"/>
        <source>%1 不是普通文件（管道、设备或目录），不能作为记录打开</source>
        <translation>%1 is not a regular file (a FIFO, device or directory) and cannot be opened as a capture</translation>
    </message>
    <message>
        <location filename="../mainwindow/capturechooser.cpp" line="89"/>
        <source>无法打开文件：%1</source>
        <translation>Cannot open the file: %1</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="132"/>
        <source>加载 DBC…(&amp;D)</source>
        <translation>Load &amp;DBC…</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_dbc.cpp" line="19"/>
        <location filename="../mainwindow/mainwindow_dbc.cpp" line="64"/>
        <source>加载 DBC</source>
        <translation>Load DBC</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_dbc.cpp" line="19"/>
        <source>DBC 文件 (*.dbc);;所有文件 (*)</source>
        <translation>DBC files (*.dbc);;All files (*)</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_dbc.cpp" line="29"/>
        <source>已卸载 DBC</source>
        <translation>DBC unloaded</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_dbc.cpp" line="54"/>
        <source>已加载 DBC：%1 个文件，%2 个报文</source>
        <translation>DBC loaded: %1 file(s), %2 message(s)</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_dbc.cpp" line="58"/>
        <source>%1 个警告</source>
        <translation>%1 warning(s)</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_dbc.cpp" line="60"/>
        <source>无法加载 %1</source>
        <translation>Cannot load %1</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_dbc.cpp" line="65"/>
        <source>以下文件无法加载：
%1</source>
        <translation>These files could not be loaded:
%1</translation>
    </message>
</context>
<context>
    <name>PlotFeed</name>
    <message>
        <location filename="../plot/plotfeed.cpp" line="40"/>
        <source>标识符超出 0x000–0x7FF</source>
        <translation>The identifier is outside 0x000–0x7FF</translation>
    </message>
    <message>
        <location filename="../plot/plotfeed.cpp" line="42"/>
        <source>长度须在 1–64 位之间</source>
        <translation>The length must be 1–64 bits</translation>
    </message>
    <message>
        <location filename="../plot/plotfeed.cpp" line="44"/>
        <source>系数须为非零有限数，偏移须为有限数</source>
        <translation>The factor must be a finite number other than zero, the offset a finite number</translation>
    </message>
    <message>
        <location filename="../plot/plotfeed.cpp" line="55"/>
        <source>起始位与长度超出帧的 64 个字节</source>
        <translation>The start bit and length go past the 64 bytes of a frame</translation>
    </message>
</context>
<context>
    <name>PlotFiles</name>
    <message>
        <location filename="../plot/plotfiles.cpp" line="126"/>
        <source>不是信号图布局文件</source>
        <translation>not a signal plot layout file</translation>
    </message>
    <message>
        <location filename="../plot/plotfiles.cpp" line="130"/>
        <location filename="../plot/plotfiles.cpp" line="135"/>
        <source>布局文件的窗格或信号过多</source>
        <translation>the layout file has too many panes or signals</translation>
    </message>
    <message>
        <location filename="../plot/plotfiles.cpp" line="133"/>
        <source>布局文件中的窗格不是列表</source>
        <translation>a pane of the layout file is not a list</translation>
    </message>
    <message>
        <location filename="../plot/plotfiles.cpp" line="153"/>
        <source>布局文件中的信号缺少名称或位置</source>
        <translation>a signal of the layout file has no name or position</translation>
    </message>
</context>
<context>
    <name>PlotWindow</name>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="6"/>
        <source>信号图</source>
        <translation>Signal plot</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="12"/>
        <source>跟随</source>
        <translation>Follow</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="20"/>
        <source>全部显示</source>
        <translation>Fit all</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="26"/>
        <source>添加窗格</source>
        <translation>Add pane</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="32"/>
        <source>移除窗格</source>
        <translation>Remove pane</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="38"/>
        <source>绘制已存帧</source>
        <translation>Plot stored frames</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="44"/>
        <source>打开记录…</source>
        <translation>Open capture…</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="49"/>
        <source>时间窗 (秒)</source>
        <translation>Time window (s)</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="68"/>
        <source>导出 PNG…</source>
        <translation>Export PNG…</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="74"/>
        <source>导出 CSV…</source>
        <translation>Export CSV…</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="80"/>
        <source>保存布局…</source>
        <translation>Save layout…</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="86"/>
        <source>加载布局…</source>
        <translation>Load layout…</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="111"/>
        <source>报文 / 信号</source>
        <translation>Message / signal</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="116"/>
        <location filename="../mainwindow/plotwindow.cpp" line="218"/>
        <source>自定义信号</source>
        <translation>Signal by hand</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="119"/>
        <source>标识符</source>
        <translation>ID (hex)</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="125"/>
        <source>起始位</source>
        <translation>Start bit</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="131"/>
        <source>长度</source>
        <translation>Length</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="137"/>
        <source>字节序</source>
        <translation>Byte order</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="141"/>
        <source>Intel（小端）</source>
        <translation>Intel (little-endian)</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="142"/>
        <source>Motorola（大端）</source>
        <translation>Motorola (big-endian)</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="146"/>
        <source>系数</source>
        <translation>Factor</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="152"/>
        <source>偏移</source>
        <translation>Offset</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="158"/>
        <source>有符号</source>
        <translation>Signed</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="161"/>
        <source>添加到当前窗格</source>
        <translation>Add to current pane</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="175"/>
        <source>单击放置光标 1，Shift+单击放置光标 2；滚轮缩放，拖动平移</source>
        <translation>Click places cursor 1, Shift+click cursor 2; wheel zooms, drag pans</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="208"/>
        <source>标识符须为十六进制数，如 0C9</source>
        <translation>The identifier must be a hexadecimal number such as 0C9</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="210"/>
        <source>系数和偏移须为数字</source>
        <translation>The factor and offset must be numbers</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="319"/>
        <source>记录：%1</source>
        <translation>Capture: %1</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="319"/>
        <source>CAN 接收的帧</source>
        <translation>Frames of CAN RX</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="333"/>
        <location filename="../mainwindow/plotwindow.cpp" line="340"/>
        <source>打开记录</source>
        <translation>Open capture</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="341"/>
        <source>%1 中没有可读的帧</source>
        <translation>%1 holds no readable frame</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="483"/>
        <source>光标 %1: %2 s</source>
        <translation>Cursor %1: %2 s</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="485"/>
        <source>Δt = %1 s</source>
        <translation>Δt = %1 s</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="544"/>
        <source>信号颜色</source>
        <translation>Signal colour</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="562"/>
        <source>PNG 图片 (*.png)</source>
        <translation>PNG image (*.png)</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="563"/>
        <location filename="../mainwindow/plotwindow.cpp" line="567"/>
        <source>导出 PNG</source>
        <translation>Export PNG</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="567"/>
        <source>无法写入 %1</source>
        <translation>Cannot write %1</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="572"/>
        <source>CSV 文件 (*.csv)</source>
        <translation>CSV file (*.csv)</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="573"/>
        <location filename="../mainwindow/plotwindow.cpp" line="578"/>
        <source>导出 CSV</source>
        <translation>Export CSV</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="579"/>
        <location filename="../mainwindow/plotwindow.cpp" line="661"/>
        <source>无法写入 %1：%2</source>
        <translation>Cannot write %1: %2</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="652"/>
        <source>信号图布局 (*.plot.json)</source>
        <translation>Signal plot layout (*.plot.json)</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="654"/>
        <location filename="../mainwindow/plotwindow.cpp" line="660"/>
        <source>保存布局</source>
        <translation>Save layout</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="670"/>
        <location filename="../mainwindow/plotwindow.cpp" line="689"/>
        <location filename="../mainwindow/plotwindow.cpp" line="696"/>
        <source>加载布局</source>
        <translation>Load layout</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="671"/>
        <source>信号图布局 (*.plot.json);;所有文件 (*)</source>
        <translation>Signal plot layout (*.plot.json);;All files (*)</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="684"/>
        <source>文件过大</source>
        <translation>the file is too large</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="689"/>
        <source>无法加载 %1：%2</source>
        <translation>Cannot load %1：%2</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="697"/>
        <source>已加载的 DBC 中没有这些信号：
%1</source>
        <translation>The loaded DBC has none of these signals:
%1</translation>
    </message>
</context>
<context>
    <name>SettingDialog</name>
    <message>
        <location filename="../settings/settingdialog.ui" line="14"/>
        <source>设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="37"/>
        <source>语言</source>
        <translation>Language</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="42"/>
        <source>自动连接</source>
        <translation>Auto-connect</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="47"/>
        <source>CAN时间</source>
        <translation>CAN time</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="52"/>
        <source>恢复出厂</source>
        <translation>Factory reset</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="345"/>
        <source>恢复出厂</source>
        <comment>button</comment>
        <translation>Reset</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="87"/>
        <source>请选择界面语言，重启后生效</source>
        <translation>Choose a language; used after restart</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="100"/>
        <source>中文</source>
        <translation>中文</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="113"/>
        <source>English</source>
        <translation>English</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="136"/>
        <source>自动连接设备</source>
        <translation>Connect by itself</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="154"/>
        <source>切换标签时继续接收</source>
        <translation>Keep receiving on every tab</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="174"/>
        <source>CAN时间:</source>
        <translation>CAN time:</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="187"/>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="212"/>
        <source>读取</source>
        <translation>Read</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="235"/>
        <source>ms</source>
        <translation>ms</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="260"/>
        <source>更新</source>
        <translation>Update</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="320"/>
        <source>恢复WIFI模块出厂设置</source>
        <translation>Reset WiFi to factory</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="366"/>
        <source>正在恢复出厂设置...</source>
        <translation>Resetting...</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.cpp" line="59"/>
        <location filename="../settings/settingdialog.cpp" line="91"/>
        <location filename="../settings/settingdialog.cpp" line="147"/>
        <location filename="../settings/settingdialog.cpp" line="152"/>
        <location filename="../settings/settingdialog.cpp" line="159"/>
        <location filename="../settings/settingdialog.cpp" line="180"/>
        <source>信息</source>
        <translation>Information</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.cpp" line="59"/>
        <source>VOTK未连接</source>
        <translation>VOTK not connected</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.cpp" line="91"/>
        <source>正在升级固件，请稍候</source>
        <translation>Firmware upgrade in progress, please wait</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="278"/>
        <source>接收行数上限:</source>
        <translation>RX row limit:</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.cpp" line="147"/>
        <source>请输入CAN时间</source>
        <translation>Please enter the CAN time</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.cpp" line="152"/>
        <source>CAN时间须为0到255之间的整数</source>
        <translation>The CAN time must be a whole number from 0 to 255</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.cpp" line="159"/>
        <source>CAN时间设置失败</source>
        <translation>Failed to set the CAN time</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.cpp" line="180"/>
        <source>恢复出厂设置失败</source>
        <translation>Factory reset failed</translation>
    </message>
</context>
<context>
    <name>UpgradeTab</name>
    <message>
        <location filename="../mainwindow/upgradetab.ui" line="46"/>
        <source>选择文件</source>
        <translation>Choose file</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.ui" line="72"/>
        <source>升级固件</source>
        <translation>Upgrade</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.ui" line="104"/>
        <location filename="../mainwindow/upgradetab.cpp" line="19"/>
        <location filename="../mainwindow/upgradetab.cpp" line="66"/>
        <source>进度：</source>
        <translation>Progress:</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.cpp" line="57"/>
        <source>打开升级文件</source>
        <translation>Open upgrade file</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.cpp" line="57"/>
        <source>升级文件(*.ota)</source>
        <translation>Upgrade files (*.ota)</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.cpp" line="111"/>
        <source>进度:请先选择升级文件</source>
        <translation>Progress: choose an upgrade file first</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.cpp" line="81"/>
        <source>进度:升级文件打开失败</source>
        <translation>Progress: cannot open the file</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.cpp" line="84"/>
        <source>进度:升级文件校验错误</source>
        <translation>Progress: file checksum error</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.cpp" line="88"/>
        <source>进度:升级文件错误</source>
        <translation>Progress: file error</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.cpp" line="86"/>
        <source>进度:升级文件大小错误，应为 %1 字节</source>
        <translation>Progress: the upgrade file's size is wrong (it must be %1 bytes)</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.cpp" line="97"/>
        <source>未知</source>
        <translation>unknown</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.cpp" line="99"/>
        <source>要升级这个设备的固件吗？

序列号：%1
当前固件：%2
文件版本：%3

升级期间请勿断开设备。</source>
        <translation>Upgrade the firmware of this box?

Serial number: %1
Current firmware: %2
File version: %3

Do not disconnect the box during the upgrade.</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.cpp" line="102"/>
        <source>文件未标明版本</source>
        <translation>the file does not state a version</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.cpp" line="103"/>
        <source>固件升级</source>
        <translation>Firmware upgrade</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.cpp" line="132"/>
        <source>进度:正在升级</source>
        <translation>Progress: upgrading</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.cpp" line="154"/>
        <source>设备重启中，请稍候</source>
        <translation>The box is restarting, please wait</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.cpp" line="162"/>
        <source>停在 %p%</source>
        <translation>Stopped at %p%</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.cpp" line="165"/>
        <source>结果:升级成功,请重新上电VOTK设备</source>
        <translation>Result: upgrade succeeded, please power-cycle the VOTK device</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.cpp" line="168"/>
        <source>结果:升级中断,请重新连接VOTK设备后再试</source>
        <translation>Result: upgrade interrupted, please reconnect the VOTK device and try again</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.cpp" line="172"/>
        <source>结果:升级失败</source>
        <translation>Result: upgrade failed</translation>
    </message>
</context>
</TS>
