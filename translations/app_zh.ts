<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>BoxChooser</name>
    <message>
        <location filename="../mainwindow/boxchooser.ui" line="14"/>
        <source>选择设备</source>
        <translation>选择设备</translation>
    </message>
    <message>
        <location filename="../mainwindow/boxchooser.ui" line="20"/>
        <source>插入了多个VOTK设备，请选择要连接的设备：</source>
        <translation>插入了多个VOTK设备，请选择要连接的设备：</translation>
    </message>
    <message>
        <location filename="../mainwindow/boxchooser.ui" line="40"/>
        <source>序列号</source>
        <translation>序列号</translation>
    </message>
    <message>
        <location filename="../mainwindow/boxchooser.ui" line="45"/>
        <source>路径</source>
        <translation>路径</translation>
    </message>
    <message>
        <location filename="../mainwindow/boxchooser.ui" line="50"/>
        <source>产品</source>
        <translation>产品</translation>
    </message>
</context>
<context>
    <name>CanIdSummaryModel</name>
    <message>
        <location filename="../mainwindow/canidsummarymodel.cpp" line="68"/>
        <source>上一周期超过期望周期的 1.5 倍</source>
        <translation>上一周期超过期望周期的 1.5 倍</translation>
    </message>
    <message>
        <location filename="../mainwindow/canidsummarymodel.cpp" line="126"/>
        <source>ID</source>
        <translation>ID</translation>
    </message>
    <message>
        <location filename="../mainwindow/canidsummarymodel.cpp" line="127"/>
        <source>Count</source>
        <translation>次数</translation>
    </message>
    <message>
        <location filename="../mainwindow/canidsummarymodel.cpp" line="128"/>
        <source>Period</source>
        <translation>周期</translation>
    </message>
    <message>
        <location filename="../mainwindow/canidsummarymodel.cpp" line="129"/>
        <source>Data</source>
        <translation>数据</translation>
    </message>
    <message>
        <location filename="../mainwindow/canidsummarymodel.cpp" line="130"/>
        <source>Message</source>
        <translation>报文</translation>
    </message>
    <message>
        <location filename="../mainwindow/canidsummarymodel.cpp" line="131"/>
        <source>Cycle</source>
        <translation>DBC 周期</translation>
    </message>
    <message>
        <location filename="../mainwindow/canidsummarymodel.cpp" line="132"/>
        <source>Min … Max</source>
        <translation>最小 … 最大</translation>
    </message>
</context>
<context>
    <name>CanRxModel</name>
    <message>
        <location filename="../mainwindow/canrxmodel.cpp" line="177"/>
        <source>Time</source>
        <translation>时间</translation>
    </message>
    <message>
        <location filename="../mainwindow/canrxmodel.cpp" line="177"/>
        <source>ID</source>
        <translation>ID</translation>
    </message>
    <message>
        <location filename="../mainwindow/canrxmodel.cpp" line="178"/>
        <source>Data</source>
        <translation>数据</translation>
    </message>
    <message>
        <location filename="../mainwindow/canrxmodel.cpp" line="178"/>
        <source>DLC</source>
        <translation>DLC</translation>
    </message>
    <message>
        <location filename="../mainwindow/canrxmodel.cpp" line="179"/>
        <source>Dir</source>
        <translation>方向</translation>
    </message>
    <message>
        <location filename="../mainwindow/canrxmodel.cpp" line="179"/>
        <source>Message</source>
        <translation>报文</translation>
    </message>
    <message>
        <location filename="../mainwindow/canrxmodel.cpp" line="180"/>
        <source>Signals</source>
        <translation>信号</translation>
    </message>
    <message>
        <location filename="../mainwindow/canrxmodel.cpp" line="234"/>
        <source>接收暂停 %1 s</source>
        <translation>接收暂停 %1 s</translation>
    </message>
    <message>
        <location filename="../mainwindow/canrxmodel.cpp" line="263"/>
        <source>接收已暂停：%1</source>
        <translation>接收已暂停：%1</translation>
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
        <location filename="../mainwindow/cantab.ui" line="110"/>
        <source>保持视图不动；新帧照常存储，解除后显示</source>
        <translation>保持视图不动；新帧照常存储，解除后显示</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="104"/>
        <source>冻结视图</source>
        <translation>冻结视图</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="142"/>
        <source>把接收的帧保存到文件 (Ctrl+S)</source>
        <translation>把接收的帧保存到文件 (Ctrl+S)</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="136"/>
        <location filename="../mainwindow/tracesave.cpp" line="23"/>
        <location filename="../mainwindow/tracesave.cpp" line="31"/>
        <location filename="../mainwindow/tracesave.cpp" line="40"/>
        <location filename="../mainwindow/tracesave.cpp" line="53"/>
        <location filename="../mainwindow/tracesave.cpp" line="85"/>
        <source>保存</source>
        <translation>保存</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="161"/>
        <source>每个 ID 一行：帧数、周期和最新数据</source>
        <translation>每个 ID 一行：帧数、周期和最新数据</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="155"/>
        <source>按 ID</source>
        <translation>按 ID</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="193"/>
        <source>最近一秒收到的帧数</source>
        <translation>最近一秒收到的帧数</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="209"/>
        <source>超过行数上限而移除的最早的帧</source>
        <translation>超过行数上限而移除的最早的帧</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="225"/>
        <source>冻结期间存储但未显示的帧数</source>
        <translation>冻结期间存储但未显示的帧数</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="238"/>
        <source>时间列显示的内容</source>
        <translation>时间列显示的内容</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="242"/>
        <source>时间: 读取时刻</source>
        <translation>时间: 读取时刻</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="247"/>
        <source>时间: 相对首帧</source>
        <translation>时间: 相对首帧</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="252"/>
        <source>时间: 同 ID 间隔</source>
        <translation>时间: 同 ID 间隔</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="269"/>
        <source>十六进制 ID 或范围，以逗号或空格分隔；回车生效</source>
        <translation>十六进制 ID 或范围，以逗号或空格分隔；回车生效</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="266"/>
        <source>ID 过滤: 7DF, 100-1FF</source>
        <translation>ID 过滤: 7DF, 100-1FF</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="282"/>
        <source>只显示或隐藏过滤中的 ID</source>
        <translation>只显示或隐藏过滤中的 ID</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="286"/>
        <source>只显示这些 ID</source>
        <translation>只显示这些 ID</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="291"/>
        <source>隐藏这些 ID</source>
        <translation>隐藏这些 ID</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="308"/>
        <source>要查找的数据字节，?? 表示任意字节 (Ctrl+F，F3 下一个)</source>
        <translation>要查找的数据字节，?? 表示任意字节 (Ctrl+F，F3 下一个)</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="305"/>
        <source>查找数据: 02 ?? 0C</source>
        <translation>查找数据: 02 ?? 0C</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="324"/>
        <source>上一个匹配的帧 (Shift+F3)</source>
        <translation>上一个匹配的帧 (Shift+F3)</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="321"/>
        <source>上一个</source>
        <translation>上一个</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="340"/>
        <source>下一个匹配的帧 (F3)</source>
        <translation>下一个匹配的帧 (F3)</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="337"/>
        <source>下一个</source>
        <translation>下一个</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="177"/>
        <source>设备上报的帧数：不含发送的帧，含因行数上限已移除的帧</source>
        <translation>设备上报的帧数：不含发送的帧，含因行数上限已移除的帧</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="366"/>
        <source>选择一个记录文件，按录制时的间隔把其中的帧发送出去；再按一次停止</source>
        <translation>选择一个记录文件，按录制时的间隔把其中的帧发送出去；再按一次停止</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="385"/>
        <source>回放已发送的帧数 / 总帧数</source>
        <translation>回放已发送的帧数 / 总帧数</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="401"/>
        <source>速度</source>
        <translation>速度</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="414"/>
        <source>回放的速度：录制时的间隔除以此倍数；最快：不等待，按盒子能接受的速度发送</source>
        <translation>回放的速度：录制时的间隔除以此倍数；最快：不等待，按盒子能接受的速度发送</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="441"/>
        <source>最快</source>
        <translation>最快</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="455"/>
        <source>次数</source>
        <translation>次数</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="468"/>
        <source>把文件回放几遍；∞：循环直到停止</source>
        <translation>把文件回放几遍；∞：循环直到停止</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="493"/>
        <source>起始</source>
        <translation>起始</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="506"/>
        <source>从文件开始后的第几秒起回放</source>
        <translation>从文件开始后的第几秒起回放</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="528"/>
        <source>勾选后，文件中记录为接收的帧也发送；否则只发送记录为发送的帧</source>
        <translation>勾选后，文件中记录为接收的帧也发送；否则只发送记录为发送的帧</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="531"/>
        <source>也发送接收的帧</source>
        <translation>也发送接收的帧</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="580"/>
        <source>回到最新的帧并继续跟随</source>
        <translation>回到最新的帧并继续跟随</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="583"/>
        <source>跳到最新</source>
        <translation>跳到最新</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="372"/>
        <location filename="../mainwindow/cantab_replay.cpp" line="131"/>
        <source>回放…</source>
        <translation>回放…</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab.ui" line="353"/>
        <location filename="../mainwindow/cantab_replay.cpp" line="23"/>
        <location filename="../mainwindow/cantab_replay.cpp" line="32"/>
        <location filename="../mainwindow/cantab_replay.cpp" line="63"/>
        <location filename="../mainwindow/cantab_replay.cpp" line="70"/>
        <location filename="../mainwindow/cantab_replay.cpp" line="75"/>
        <source>回放</source>
        <translation>回放</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_replay.cpp" line="33"/>
        <source>无法打开文件：%1</source>
        <translation>无法打开文件：%1</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_replay.cpp" line="41"/>
        <source>无法读取</source>
        <translation>无法读取</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_replay.cpp" line="44"/>
        <source>标识符大于7FF</source>
        <translation>标识符大于7FF</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_replay.cpp" line="47"/>
        <source>数据超过8个字节</source>
        <translation>数据超过8个字节</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_replay.cpp" line="50"/>
        <source>远程帧</source>
        <translation>远程帧</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_replay.cpp" line="53"/>
        <source>错误帧</source>
        <translation>错误帧</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_replay.cpp" line="56"/>
        <source>CAN FD 帧</source>
        <translation>CAN FD 帧</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_replay.cpp" line="59"/>
        <source>扩展帧（29 位标识符）</source>
        <translation>扩展帧（29 位标识符）</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_replay.cpp" line="64"/>
        <source>%1无法回放：%2</source>
        <translation>%1无法回放：%2</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_replay.cpp" line="71"/>
        <source>文件超过 %1 帧，无法回放</source>
        <translation>文件超过 %1 帧，无法回放</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_replay.cpp" line="77"/>
        <source>文件中（起始时间之后）没有帧</source>
        <translation>文件中（起始时间之后）没有帧</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_replay.cpp" line="78"/>
        <source>文件中（起始时间之后）没有记录为发送的帧；要回放接收的帧，请勾选“也发送接收的帧”</source>
        <translation>文件中（起始时间之后）没有记录为发送的帧；要回放接收的帧，请勾选“也发送接收的帧”</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_replay.cpp" line="131"/>
        <source>停止</source>
        <translation>停止</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_rx.cpp" line="120"/>
        <source>已接收: %1</source>
        <translation>已接收: %1</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_rx.cpp" line="121"/>
        <source>速率: %1 帧/秒</source>
        <translation>速率: %1 帧/秒</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_rx.cpp" line="122"/>
        <source>超限移除: %1</source>
        <translation>超限移除: %1</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_rx.cpp" line="154"/>
        <source>删除</source>
        <translation>删除</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_rx.cpp" line="155"/>
        <source>全部删除</source>
        <translation>全部删除</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_record.cpp" line="27"/>
        <location filename="../mainwindow/cantab_record.cpp" line="33"/>
        <location filename="../mainwindow/cantab_record.cpp" line="45"/>
        <location filename="../mainwindow/cantab_record.cpp" line="90"/>
        <source>记录到文件</source>
        <translation>记录到文件</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_record.cpp" line="34"/>
        <location filename="../mainwindow/tracesave.cpp" line="32"/>
        <source>请使用 .log、.csv、.asc、.trc 或 .blf 文件名</source>
        <translation>请使用 .log、.csv、.asc、.trc 或 .blf 文件名</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_record.cpp" line="45"/>
        <source>无法记录：%1</source>
        <translation>无法记录：%1</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_record.cpp" line="77"/>
        <source>正在结束记录：%1 (%2)</source>
        <translation>正在结束记录：%1 (%2)</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_record.cpp" line="78"/>
        <source>记录中：%1 (%2)</source>
        <translation>记录中：%1 (%2)</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantab_record.cpp" line="91"/>
        <source>记录已停止：%1
接收表格中的帧都还在。</source>
        <translation>记录已停止：%1
接收表格中的帧都还在。</translation>
    </message>
    <message>
        <location filename="../mainwindow/tracesave.cpp" line="41"/>
        <source>已设置 ID 过滤。只保存过滤后显示的帧？
选“否”保存全部帧。</source>
        <translation>已设置 ID 过滤。只保存过滤后显示的帧？
选“否”保存全部帧。</translation>
    </message>
    <message>
        <location filename="../mainwindow/tracesave.cpp" line="54"/>
        <location filename="../mainwindow/tracesave.cpp" line="86"/>
        <source>保存失败：%1</source>
        <translation>保存失败：%1</translation>
    </message>
    <message>
        <location filename="../mainwindow/tracesave.cpp" line="62"/>
        <source>正在保存...</source>
        <translation>正在保存...</translation>
    </message>
    <message>
        <location filename="../mainwindow/tracesave.cpp" line="63"/>
        <source>取消</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>CanTracePanel</name>
    <message>
        <location filename="../mainwindow/cantracepanel.cpp" line="245"/>
        <source>解除冻结</source>
        <translation>解除冻结</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracepanel.cpp" line="245"/>
        <source>冻结视图</source>
        <translation>冻结视图</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracepanel.cpp" line="138"/>
        <source>复制</source>
        <translation>复制</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracepanel.cpp" line="48"/>
        <source>右键单击行：复制 (Ctrl+C)、发送此帧、只显示或隐藏此 ID</source>
        <translation>右键单击行：复制 (Ctrl+C)、发送此帧、只显示或隐藏此 ID</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracepanel.cpp" line="141"/>
        <source>发送此帧</source>
        <translation>发送此帧</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracepanel.cpp" line="148"/>
        <source>只显示此 ID</source>
        <translation>只显示此 ID</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracepanel.cpp" line="149"/>
        <source>隐藏此 ID</source>
        <translation>隐藏此 ID</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracepanel.cpp" line="198"/>
        <source>只复制了前 %1 行</source>
        <translation>只复制了前 %1 行</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracepanel.cpp" line="285"/>
        <source>ID 过滤有误</source>
        <translation>ID 过滤有误</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracepanel.cpp" line="289"/>
        <source>ID 过滤有误：应为十六进制 ID 或范围（如 7DF, 100-1FF），以逗号或空格分隔</source>
        <translation>ID 过滤有误：应为十六进制 ID 或范围（如 7DF, 100-1FF），以逗号或空格分隔</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracepanel.cpp" line="301"/>
        <source>查找内容有误</source>
        <translation>查找内容有误</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracepanel.cpp" line="302"/>
        <source>查找内容有误：应为两位十六进制字节或 ??，以空格分隔</source>
        <translation>查找内容有误：应为两位十六进制字节或 ??，以空格分隔</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracepanel.cpp" line="311"/>
        <source>未找到</source>
        <translation>未找到</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracepanel.cpp" line="392"/>
        <source>未显示: %1</source>
        <translation>未显示: %1</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracepanel.cpp" line="287"/>
        <source>ID 过滤有误：应为十六进制 ID、范围（如 7DF, 100-1FF）或 DBC 中的报文名，以逗号或空格分隔</source>
        <translation>ID 过滤有误：应为十六进制 ID、范围（如 7DF, 100-1FF）或 DBC 中的报文名，以逗号或空格分隔</translation>
    </message>
</context>
<context>
    <name>CanTraceWindow</name>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="6"/>
        <source>接收窗口</source>
        <translation>接收窗口</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="8"/>
        <source>打开…</source>
        <translation>打开…</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="8"/>
        <source>冻结视图</source>
        <translation>冻结视图</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="8"/>
        <source>按 ID</source>
        <translation>按 ID</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="8"/>
        <source>时间: 读取时刻</source>
        <translation>时间: 读取时刻</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="8"/>
        <source>时间: 相对首帧</source>
        <translation>时间: 相对首帧</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="8"/>
        <source>时间: 同 ID 间隔</source>
        <translation>时间: 同 ID 间隔</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="8"/>
        <source>打开保存的记录文件，在新窗口中查看 (Ctrl+O)</source>
        <translation>打开保存的记录文件，在新窗口中查看 (Ctrl+O)</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="8"/>
        <source>保存…</source>
        <translation>保存…</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="8"/>
        <source>把这些帧保存到文件 (Ctrl+S)</source>
        <translation>把这些帧保存到文件 (Ctrl+S)</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="8"/>
        <source>保持视图不动；新帧照常存储，解除后显示</source>
        <translation>保持视图不动；新帧照常存储，解除后显示</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="8"/>
        <source>每个 ID 一行：帧数、周期和最新数据</source>
        <translation>每个 ID 一行：帧数、周期和最新数据</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="8"/>
        <source>时间列显示的内容</source>
        <translation>时间列显示的内容</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="8"/>
        <source>冻结期间存储但未显示的帧数</source>
        <translation>冻结期间存储但未显示的帧数</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="8"/>
        <source>表中的帧数，接收和发送的都算（CAN 页的“已接收”只算设备上报的帧）；过滤时为显示的帧数 / 表中的帧数</source>
        <translation>表中的帧数，接收和发送的都算（CAN 页的“已接收”只算设备上报的帧）；过滤时为显示的帧数 / 表中的帧数</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="9"/>
        <source>ID 过滤: 7DF, 100-1FF</source>
        <translation>ID 过滤: 7DF, 100-1FF</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="9"/>
        <source>只显示这些 ID</source>
        <translation>只显示这些 ID</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="9"/>
        <source>隐藏这些 ID</source>
        <translation>隐藏这些 ID</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="9"/>
        <source>查找数据: 02 ?? 0C</source>
        <translation>查找数据: 02 ?? 0C</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="9"/>
        <source>上一个</source>
        <translation>上一个</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="9"/>
        <source>下一个</source>
        <translation>下一个</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="9"/>
        <source>十六进制 ID 或范围，以逗号或空格分隔；回车生效</source>
        <translation>十六进制 ID 或范围，以逗号或空格分隔；回车生效</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="9"/>
        <source>只显示或隐藏过滤中的 ID</source>
        <translation>只显示或隐藏过滤中的 ID</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="9"/>
        <source>要查找的数据字节，?? 表示任意字节 (Ctrl+F，F3 下一个)</source>
        <translation>要查找的数据字节，?? 表示任意字节 (Ctrl+F，F3 下一个)</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="9"/>
        <source>上一个匹配的帧 (Shift+F3)</source>
        <translation>上一个匹配的帧 (Shift+F3)</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="9"/>
        <source>下一个匹配的帧 (F3)</source>
        <translation>下一个匹配的帧 (F3)</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="9"/>
        <source>跳到最新</source>
        <translation>跳到最新</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.ui" line="9"/>
        <source>回到最新的帧并继续跟随</source>
        <translation>回到最新的帧并继续跟随</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.cpp" line="76"/>
        <source>表中帧数: %1 / %2</source>
        <translation>表中帧数: %1 / %2</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.cpp" line="78"/>
        <source>表中帧数: %1</source>
        <translation>表中帧数: %1</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.cpp" line="100"/>
        <source>标识符大于 FFFF</source>
        <translation>标识符大于 FFFF</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.cpp" line="102"/>
        <source>数据超过 64 个字节</source>
        <translation>数据超过 64 个字节</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.cpp" line="104"/>
        <source>远程帧</source>
        <translation>远程帧</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.cpp" line="106"/>
        <source>错误帧</source>
        <translation>错误帧</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.cpp" line="108"/>
        <source>CAN FD 帧</source>
        <translation>CAN FD 帧</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.cpp" line="113"/>
        <source>不是帧的格式</source>
        <translation>不是帧的格式</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.cpp" line="118"/>
        <source>第 %1 字节处的对象</source>
        <translation>第 %1 字节处的对象</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.cpp" line="118"/>
        <source>第 %1 行</source>
        <translation>第 %1 行</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.cpp" line="123"/>
        <source>打开</source>
        <translation>打开</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.cpp" line="140"/>
        <source>无法打开文件：%1</source>
        <translation>无法打开文件：%1</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.cpp" line="149"/>
        <source>%1无法读取（%2），文件中没有可显示的帧</source>
        <translation>%1无法读取（%2），文件中没有可显示的帧</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.cpp" line="163"/>
        <source>%1无法读取（%2），已跳过；共跳过 %3 处，其余已载入</source>
        <translation>%1无法读取（%2），已跳过；共跳过 %3 处，其余已载入</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.cpp" line="153"/>
        <source>文件中没有帧</source>
        <translation>文件中没有帧</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.cpp" line="159"/>
        <source>接收窗口 - %1</source>
        <translation>接收窗口 - %1</translation>
    </message>
    <message>
        <location filename="../mainwindow/cantracewindow.cpp" line="169"/>
        <source>文件有 %1 帧，超过行数上限，只显示最后 %2 帧</source>
        <translation>文件有 %1 帧，超过行数上限，只显示最后 %2 帧</translation>
    </message>
</context>
<context>
    <name>DbcFrameDialog</name>
    <message>
        <location filename="../mainwindow/dbcframedialog.cpp" line="64"/>
        <source>从 DBC 生成帧</source>
        <translation>从 DBC 生成帧</translation>
    </message>
    <message>
        <location filename="../mainwindow/dbcframedialog.cpp" line="69"/>
        <source>信号</source>
        <translation>信号</translation>
    </message>
    <message>
        <location filename="../mainwindow/dbcframedialog.cpp" line="69"/>
        <source>值</source>
        <translation>值</translation>
    </message>
    <message>
        <location filename="../mainwindow/dbcframedialog.cpp" line="69"/>
        <source>单位</source>
        <translation>单位</translation>
    </message>
    <message>
        <location filename="../mainwindow/dbcframedialog.cpp" line="69"/>
        <source>范围</source>
        <translation>范围</translation>
    </message>
    <message>
        <location filename="../mainwindow/dbcframedialog.cpp" line="129"/>
        <source>DBC 中没有可发送的报文</source>
        <translation>DBC 中没有可发送的报文</translation>
    </message>
    <message>
        <location filename="../mainwindow/dbcframedialog.cpp" line="168"/>
        <source>%1 的值不是数字</source>
        <translation>%1 的值不是数字</translation>
    </message>
    <message>
        <location filename="../mainwindow/dbcframedialog.cpp" line="175"/>
        <source>数据：%1</source>
        <translation>数据：%1</translation>
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
        <location filename="../mainwindow/infotab.ui" line="26"/>
        <source>连接插入的VOTK设备；插有多台时先选择</source>
        <translation>连接插入的VOTK设备；插有多台时先选择</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.ui" line="49"/>
        <source>连接</source>
        <translation>连接</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.ui" line="102"/>
        <source>软件 ID:</source>
        <translation>软件 ID:</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.ui" line="115"/>
        <source>软件版本:</source>
        <translation>软件版本:</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.ui" line="128"/>
        <source>硬件ID:</source>
        <translation>硬件ID:</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.ui" line="141"/>
        <source>WIFI名称:</source>
        <translation>WIFI名称:</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.ui" line="154"/>
        <source>WIFI密码:</source>
        <translation>WIFI密码:</translation>
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
        <location filename="../mainwindow/infotab.ui" line="249"/>
        <source>从设备读取软件ID、版本、硬件ID和WIFI设置</source>
        <translation>从设备读取软件ID、版本、硬件ID和WIFI设置</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.ui" line="271"/>
        <source>读取信息</source>
        <translation>读取信息</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.ui" line="306"/>
        <source>新WIFI名称:</source>
        <translation>新WIFI名称:</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.ui" line="325"/>
        <source>新WIFI密码:</source>
        <translation>新WIFI密码:</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.ui" line="328"/>
        <source>新的WIFI名称：1~32个字节</source>
        <translation>新的WIFI名称：1~32个字节</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.ui" line="344"/>
        <source>新的WIFI密码：8~63个可打印ASCII字符；留空则为开放网络（会先询问）</source>
        <translation>新的WIFI密码：8~63个可打印ASCII字符；留空则为开放网络（会先询问）</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.ui" line="373"/>
        <source>（1~32个字符）</source>
        <translation>（1~32个字符）</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.ui" line="376"/>
        <source>显示或隐藏输入的密码</source>
        <translation>显示或隐藏输入的密码</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.ui" line="386"/>
        <source>显示</source>
        <translation>显示</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.ui" line="399"/>
        <source>（8~63个ASCII字符；留空则为开放网络）</source>
        <translation>（8~63个ASCII字符；留空则为开放网络）</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.ui" line="402"/>
        <source>把新的WIFI名称和密码写入设备，然后重新读取</source>
        <translation>把新的WIFI名称和密码写入设备，然后重新读取</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.ui" line="424"/>
        <source>更新WIFI设置</source>
        <translation>更新WIFI设置</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.cpp" line="76"/>
        <source>VOTK已连接</source>
        <translation>VOTK已连接</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.cpp" line="81"/>
        <source>VOTK已断开</source>
        <translation>VOTK已断开</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.cpp" line="166"/>
        <source>WIFI名称不能为空</source>
        <translation>WIFI名称不能为空</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.cpp" line="168"/>
        <source>WIFI名称不能包含“,”</source>
        <translation>WIFI名称不能包含“,”</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.cpp" line="170"/>
        <source>WIFI名称只能包含西文字符（Latin-1），不支持中文等</source>
        <translation>WIFI名称只能包含西文字符（Latin-1），不支持中文等</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.cpp" line="172"/>
        <source>WIFI密码不能包含“,”</source>
        <translation>WIFI密码不能包含“,”</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.cpp" line="174"/>
        <source>WIFI密码只能包含西文字符（Latin-1），不支持中文等</source>
        <translation>WIFI密码只能包含西文字符（Latin-1），不支持中文等</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.cpp" line="176"/>
        <source>WIFI名称不能包含控制字符（换行、制表符等）</source>
        <translation>WIFI名称不能包含控制字符（换行、制表符等）</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.cpp" line="178"/>
        <source>WIFI密码不能包含控制字符（换行、制表符等）</source>
        <translation>WIFI密码不能包含控制字符（换行、制表符等）</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.cpp" line="180"/>
        <source>WIFI名称和密码合计不能超过%1个字符</source>
        <translation>WIFI名称和密码合计不能超过%1个字符</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.cpp" line="182"/>
        <source>WIFI名称不能超过%1个字符</source>
        <translation>WIFI名称不能超过%1个字符</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.cpp" line="184"/>
        <source>WIFI密码只能包含可打印的ASCII字符</source>
        <translation>WIFI密码只能包含可打印的ASCII字符</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.cpp" line="186"/>
        <source>WIFI密码至少需要%1个字符</source>
        <translation>WIFI密码至少需要%1个字符</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.cpp" line="188"/>
        <source>WIFI密码不能超过%1个字符</source>
        <translation>WIFI密码不能超过%1个字符</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.cpp" line="204"/>
        <location filename="../mainwindow/infotab.cpp" line="208"/>
        <location filename="../mainwindow/infotab.cpp" line="230"/>
        <location filename="../mainwindow/infotab.cpp" line="232"/>
        <source>信息</source>
        <translation>信息</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.cpp" line="209"/>
        <source>密码为空：WIFI将成为开放网络，范围内任何人都可以连接。仍要设置吗？</source>
        <translation>密码为空：WIFI将成为开放网络，范围内任何人都可以连接。仍要设置吗？</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.cpp" line="230"/>
        <source>WIFI信息已设置</source>
        <translation>WIFI信息已设置</translation>
    </message>
    <message>
        <location filename="../mainwindow/infotab.cpp" line="232"/>
        <source>WIFI信息设置失败</source>
        <translation>WIFI信息设置失败</translation>
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
        <location filename="../mainwindow/mainwindow_connect.cpp" line="89"/>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="98"/>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="145"/>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="207"/>
        <source>信息</source>
        <translation>信息</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="42"/>
        <source>CAN</source>
        <translation>CAN</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="66"/>
        <source>文件(&amp;F)</source>
        <translation>文件(&amp;F)</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="76"/>
        <source>视图(&amp;V)</source>
        <translation>视图(&amp;V)</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="91"/>
        <source>关于(&amp;A)</source>
        <translation>关于(&amp;A)</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="102"/>
        <source>把收到和发出的每一帧随时写入文件，不受表格行数上限和过滤影响</source>
        <translation>把收到和发出的每一帧随时写入文件，不受表格行数上限和过滤影响</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="105"/>
        <source>记录到文件…(&amp;R)</source>
        <translation>记录到文件…(&amp;R)</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="110"/>
        <source>停止正在进行的记录</source>
        <translation>停止正在进行的记录</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="116"/>
        <source>停止记录(&amp;E)</source>
        <translation>停止记录(&amp;E)</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="121"/>
        <source>语言、自动连接、CAN 时间和 WiFi 模块的设置</source>
        <translation>语言、自动连接、CAN 时间和 WiFi 模块的设置</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="124"/>
        <source>设置(&amp;S)</source>
        <translation>设置(&amp;S)</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="129"/>
        <source>关闭程序 (Ctrl+Q)</source>
        <translation>关闭程序 (Ctrl+Q)</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="132"/>
        <source>退出(&amp;X)</source>
        <translation>退出(&amp;X)</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="140"/>
        <source>在可调整大小的窗口中查看接收的帧</source>
        <translation>在可调整大小的窗口中查看接收的帧</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="143"/>
        <source>接收窗口(&amp;T)</source>
        <translation>接收窗口(&amp;T)</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="148"/>
        <source>打开保存的记录文件，在新窗口中查看 (Ctrl+O)</source>
        <translation>打开保存的记录文件，在新窗口中查看 (Ctrl+O)</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="151"/>
        <source>打开…(&amp;O)</source>
        <translation>打开…(&amp;O)</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="159"/>
        <source>加载 DBC 文件，按报文和信号解码接收的帧</source>
        <translation>加载 DBC 文件，按报文和信号解码接收的帧</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="167"/>
        <source>卸载所有 DBC 文件</source>
        <translation>卸载所有 DBC 文件</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="173"/>
        <source>卸载 DBC(&amp;U)</source>
        <translation>卸载 DBC(&amp;U)</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="178"/>
        <source>按时间绘制 DBC 信号的值</source>
        <translation>按时间绘制 DBC 信号的值</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="181"/>
        <source>信号图(&amp;P)</source>
        <translation>信号图(&amp;P)</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="186"/>
        <source>程序版本和说明</source>
        <translation>程序版本和说明</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="189"/>
        <source>关于VOTK(&amp;V)</source>
        <translation>关于VOTK(&amp;V)</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="47"/>
        <source>固件升级</source>
        <translation>固件升级</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.cpp" line="172"/>
        <source>正在升级固件</source>
        <translation>正在升级固件</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.cpp" line="174"/>
        <source>盒子未连接</source>
        <translation>盒子未连接</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.cpp" line="176"/>
        <source>CAN 页未显示</source>
        <translation>CAN 页未显示</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.cpp" line="244"/>
        <source>关于</source>
        <translation>关于</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.cpp" line="244"/>
        <source>VOTK-Tarnwell 1.2</source>
        <translation>VOTK-Tarnwell 1.2</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="207"/>
        <source>正在升级固件，请稍候</source>
        <translation>正在升级固件，请稍候</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="91"/>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="99"/>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="109"/>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="111"/>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="123"/>
        <source>VOTK连接失败</source>
        <translation>VOTK连接失败</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="76"/>
        <source>未找到位于 %1 的VOTK设备</source>
        <translation>未找到位于 %1 的VOTK设备</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="77"/>
        <source>未找到序列号为 %1 的VOTK设备</source>
        <translation>未找到序列号为 %1 的VOTK设备</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="100"/>
        <source>VOTK设备拒绝进入USB模式</source>
        <translation>VOTK设备拒绝进入USB模式</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="109"/>
        <source>未找到VOTK设备，请检查USB线</source>
        <translation>未找到VOTK设备，请检查USB线</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="112"/>
        <source>没有访问VOTK设备的权限：请安装udev规则 %1，然后重新插拔设备</source>
        <translation>没有访问VOTK设备的权限：请安装udev规则 %1，然后重新插拔设备</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="121"/>
        <source>无法锁定VOTK设备，未打开设备</source>
        <translation>无法锁定VOTK设备，未打开设备</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="145"/>
        <source>VOTK未连接</source>
        <translation>VOTK未连接</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="181"/>
        <source>已连接</source>
        <translation>已连接</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="181"/>
        <source>已连接：%1</source>
        <translation>已连接：%1</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="185"/>
        <source>固件 %1</source>
        <translation>固件 %1</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="188"/>
        <source>等待设备</source>
        <translation>等待设备</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="188"/>
        <source>未连接</source>
        <translation>未连接</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="198"/>
        <location filename="../mainwindow/mainwindow_hotplug.cpp" line="44"/>
        <location filename="../mainwindow/mainwindow_hotplug.cpp" line="59"/>
        <source>USB线连接</source>
        <translation>USB线连接</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="198"/>
        <location filename="../mainwindow/mainwindow_hotplug.cpp" line="101"/>
        <location filename="../mainwindow/mainwindow_hotplug.cpp" line="105"/>
        <source>USB线断开</source>
        <translation>USB线断开</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.cpp" line="75"/>
        <source>配置文件 %1 无法写入，设置只在本次运行中有效</source>
        <translation>配置文件 %1 无法写入，设置只在本次运行中有效</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="115"/>
        <source>VOTK设备正被其他程序使用</source>
        <translation>VOTK设备正被其他程序使用</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="116"/>
        <source>程序: %1 (PID %2)</source>
        <translation>程序: %1 (PID %2)</translation>
    </message>
    <message>
        <location filename="../mainwindow/capturechooser.cpp" line="23"/>
        <source>candump 日志 (*.log)</source>
        <translation>candump 日志 (*.log)</translation>
    </message>
    <message>
        <location filename="../mainwindow/capturechooser.cpp" line="25"/>
        <source>CSV 文件 (*.csv)</source>
        <translation>CSV 文件 (*.csv)</translation>
    </message>
    <message>
        <location filename="../mainwindow/capturechooser.cpp" line="26"/>
        <source>Vector ASC 文件 (*.asc)</source>
        <translation>Vector ASC 文件 (*.asc)</translation>
    </message>
    <message>
        <location filename="../mainwindow/capturechooser.cpp" line="28"/>
        <source>PEAK TRC 文件 (*.trc)</source>
        <translation>PEAK TRC 文件 (*.trc)</translation>
    </message>
    <message>
        <location filename="../mainwindow/capturechooser.cpp" line="30"/>
        <source>Vector BLF 文件 (*.blf)</source>
        <translation>Vector BLF 文件 (*.blf)</translation>
    </message>
    <message>
        <location filename="../mainwindow/capturechooser.cpp" line="32"/>
        <source>python-can CSV 文件 (*.csv)</source>
        <translation>python-can CSV 文件 (*.csv)</translation>
    </message>
    <message>
        <location filename="../mainwindow/capturechooser.cpp" line="60"/>
        <source>所有记录 (*.log *.csv *.asc *.trc *.blf)</source>
        <translation>所有记录 (*.log *.csv *.asc *.trc *.blf)</translation>
    </message>
    <message>
        <location filename="../mainwindow/capturechooser.cpp" line="72"/>
        <source>请使用 .log、.csv、.asc、.trc 或 .blf 文件名</source>
        <translation>请使用 .log、.csv、.asc、.trc 或 .blf 文件名</translation>
    </message>
    <message>
        <location filename="../mainwindow/capturechooser.cpp" line="83"/>
        <source>%1 不是普通文件（管道、设备或目录），不能作为记录打开</source>
        <translation>%1 不是普通文件（管道、设备或目录），不能作为记录打开</translation>
    </message>
    <message>
        <location filename="../mainwindow/capturechooser.cpp" line="89"/>
        <source>无法打开文件：%1</source>
        <translation>无法打开文件：%1</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="162"/>
        <source>加载 DBC…(&amp;D)</source>
        <translation>加载 DBC…(&amp;D)</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_dbc.cpp" line="19"/>
        <location filename="../mainwindow/mainwindow_dbc.cpp" line="64"/>
        <source>加载 DBC</source>
        <translation>加载 DBC</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_dbc.cpp" line="19"/>
        <source>DBC 文件 (*.dbc);;所有文件 (*)</source>
        <translation>DBC 文件 (*.dbc);;所有文件 (*)</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_dbc.cpp" line="29"/>
        <source>已卸载 DBC</source>
        <translation>已卸载 DBC</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_dbc.cpp" line="54"/>
        <source>已加载 DBC：%1 个文件，%2 个报文</source>
        <translation>已加载 DBC：%1 个文件，%2 个报文</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_dbc.cpp" line="58"/>
        <source>%1 个警告</source>
        <translation>%1 个警告</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_dbc.cpp" line="60"/>
        <source>无法加载 %1</source>
        <translation>无法加载 %1</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_dbc.cpp" line="65"/>
        <source>以下文件无法加载：
%1</source>
        <translation>以下文件无法加载：
%1</translation>
    </message>
</context>
<context>
    <name>PlotFeed</name>
    <message>
        <location filename="../plot/plotfeed.cpp" line="40"/>
        <source>标识符超出 0x000–0x7FF</source>
        <translation>标识符超出 0x000–0x7FF</translation>
    </message>
    <message>
        <location filename="../plot/plotfeed.cpp" line="42"/>
        <source>长度须在 1–64 位之间</source>
        <translation>长度须在 1–64 位之间</translation>
    </message>
    <message>
        <location filename="../plot/plotfeed.cpp" line="44"/>
        <source>系数须为非零有限数，偏移须为有限数</source>
        <translation>系数须为非零有限数，偏移须为有限数</translation>
    </message>
    <message>
        <location filename="../plot/plotfeed.cpp" line="55"/>
        <source>起始位与长度超出帧的 64 个字节</source>
        <translation>起始位与长度超出帧的 64 个字节</translation>
    </message>
</context>
<context>
    <name>PlotFiles</name>
    <message>
        <location filename="../plot/plotfiles.cpp" line="126"/>
        <source>不是信号图布局文件</source>
        <translation>不是信号图布局文件</translation>
    </message>
    <message>
        <location filename="../plot/plotfiles.cpp" line="130"/>
        <location filename="../plot/plotfiles.cpp" line="135"/>
        <source>布局文件的窗格或信号过多</source>
        <translation>布局文件的窗格或信号过多</translation>
    </message>
    <message>
        <location filename="../plot/plotfiles.cpp" line="133"/>
        <source>布局文件中的窗格不是列表</source>
        <translation>布局文件中的窗格不是列表</translation>
    </message>
    <message>
        <location filename="../plot/plotfiles.cpp" line="153"/>
        <source>布局文件中的信号缺少名称或位置</source>
        <translation>布局文件中的信号缺少名称或位置</translation>
    </message>
</context>
<context>
    <name>PlotWindow</name>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="6"/>
        <source>信号图</source>
        <translation>信号图</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="11"/>
        <source>跟随最新的数据；关闭后视图停住，数据照常记录 (空格)</source>
        <translation>跟随最新的数据；关闭后视图停住，数据照常记录 (空格)</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="12"/>
        <source>跟随</source>
        <translation>跟随</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="19"/>
        <source>显示全部时间和数值范围 (Home)</source>
        <translation>显示全部时间和数值范围 (Home)</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="20"/>
        <source>全部显示</source>
        <translation>全部显示</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="25"/>
        <source>在下方添加一个窗格，与其他窗格共用时间轴</source>
        <translation>在下方添加一个窗格，与其他窗格共用时间轴</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="26"/>
        <source>添加窗格</source>
        <translation>添加窗格</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="31"/>
        <source>移除当前窗格及其中的信号</source>
        <translation>移除当前窗格及其中的信号</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="32"/>
        <source>移除窗格</source>
        <translation>移除窗格</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="37"/>
        <source>把 CAN 页已存储的帧也画进来</source>
        <translation>把 CAN 页已存储的帧也画进来</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="38"/>
        <source>绘制已存帧</source>
        <translation>绘制已存帧</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="43"/>
        <source>画出一个记录文件中的信号，而不是实时的帧</source>
        <translation>画出一个记录文件中的信号，而不是实时的帧</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="44"/>
        <source>打开记录…</source>
        <translation>打开记录…</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="49"/>
        <source>时间窗 (秒)</source>
        <translation>时间窗 (秒)</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="52"/>
        <source>跟随时显示的最近秒数</source>
        <translation>跟随时显示的最近秒数</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="67"/>
        <source>把窗口保存为 PNG 图片</source>
        <translation>把窗口保存为 PNG 图片</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="68"/>
        <source>导出 PNG…</source>
        <translation>导出 PNG…</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="73"/>
        <source>把可见范围内的数值保存为 CSV 文件（每行：时间、信号、数值、单位）</source>
        <translation>把可见范围内的数值保存为 CSV 文件（每行：时间、信号、数值、单位）</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="74"/>
        <source>导出 CSV…</source>
        <translation>导出 CSV…</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="79"/>
        <source>把每个窗格中的信号保存到 .plot.json 文件</source>
        <translation>把每个窗格中的信号保存到 .plot.json 文件</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="80"/>
        <source>保存布局…</source>
        <translation>保存布局…</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="85"/>
        <source>从 .plot.json 文件载入窗格和信号</source>
        <translation>从 .plot.json 文件载入窗格和信号</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="86"/>
        <source>加载布局…</source>
        <translation>加载布局…</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="111"/>
        <source>报文 / 信号</source>
        <translation>报文 / 信号</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="116"/>
        <location filename="../mainwindow/plotwindow.cpp" line="218"/>
        <source>自定义信号</source>
        <translation>自定义信号</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="119"/>
        <source>标识符</source>
        <translation>标识符</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="122"/>
        <source>信号所在帧的十六进制 ID</source>
        <translation>信号所在帧的十六进制 ID</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="125"/>
        <source>起始位</source>
        <translation>起始位</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="128"/>
        <source>信号的起始位（按所选字节序编号）</source>
        <translation>信号的起始位（按所选字节序编号）</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="131"/>
        <source>长度</source>
        <translation>长度</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="134"/>
        <source>信号的位数</source>
        <translation>信号的位数</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="137"/>
        <source>字节序</source>
        <translation>字节序</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="140"/>
        <source>信号的字节序</source>
        <translation>信号的字节序</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="141"/>
        <source>Intel（小端）</source>
        <translation>Intel（小端）</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="142"/>
        <source>Motorola（大端）</source>
        <translation>Motorola（大端）</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="146"/>
        <source>系数</source>
        <translation>系数</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="149"/>
        <location filename="../mainwindow/plotwindow.ui" line="155"/>
        <source>物理值 = 原始值 × 系数 + 偏移</source>
        <translation>物理值 = 原始值 × 系数 + 偏移</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="152"/>
        <source>偏移</source>
        <translation>偏移</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="158"/>
        <source>有符号</source>
        <translation>有符号</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="158"/>
        <source>原始值按有符号数（二进制补码）解释</source>
        <translation>原始值按有符号数（二进制补码）解释</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="161"/>
        <source>添加到当前窗格</source>
        <translation>添加到当前窗格</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="161"/>
        <source>把这样定义的信号加入当前窗格</source>
        <translation>把这样定义的信号加入当前窗格</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.ui" line="175"/>
        <source>单击放置光标 1，Shift+单击放置光标 2；滚轮缩放，拖动平移</source>
        <translation>单击放置光标 1，Shift+单击放置光标 2；滚轮缩放，拖动平移</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="208"/>
        <source>标识符须为十六进制数，如 0C9</source>
        <translation>标识符须为十六进制数，如 0C9</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="210"/>
        <source>系数和偏移须为数字</source>
        <translation>系数和偏移须为数字</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="319"/>
        <source>记录：%1</source>
        <translation>记录：%1</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="319"/>
        <source>CAN 接收的帧</source>
        <translation>CAN 接收的帧</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="333"/>
        <location filename="../mainwindow/plotwindow.cpp" line="340"/>
        <source>打开记录</source>
        <translation>打开记录</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="341"/>
        <source>%1 中没有可读的帧</source>
        <translation>%1 中没有可读的帧</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="483"/>
        <source>光标 %1: %2 s</source>
        <translation>光标 %1: %2 s</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="485"/>
        <source>Δt = %1 s</source>
        <translation>Δt = %1 s</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="544"/>
        <source>信号颜色</source>
        <translation>信号颜色</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="562"/>
        <source>PNG 图片 (*.png)</source>
        <translation>PNG 图片 (*.png)</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="563"/>
        <location filename="../mainwindow/plotwindow.cpp" line="567"/>
        <source>导出 PNG</source>
        <translation>导出 PNG</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="567"/>
        <source>无法写入 %1</source>
        <translation>无法写入 %1</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="572"/>
        <source>CSV 文件 (*.csv)</source>
        <translation>CSV 文件 (*.csv)</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="573"/>
        <location filename="../mainwindow/plotwindow.cpp" line="578"/>
        <source>导出 CSV</source>
        <translation>导出 CSV</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="579"/>
        <location filename="../mainwindow/plotwindow.cpp" line="661"/>
        <source>无法写入 %1：%2</source>
        <translation>无法写入 %1：%2</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="652"/>
        <source>信号图布局 (*.plot.json)</source>
        <translation>信号图布局 (*.plot.json)</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="654"/>
        <location filename="../mainwindow/plotwindow.cpp" line="660"/>
        <source>保存布局</source>
        <translation>保存布局</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="670"/>
        <location filename="../mainwindow/plotwindow.cpp" line="689"/>
        <location filename="../mainwindow/plotwindow.cpp" line="696"/>
        <source>加载布局</source>
        <translation>加载布局</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="671"/>
        <source>信号图布局 (*.plot.json);;所有文件 (*)</source>
        <translation>信号图布局 (*.plot.json);;所有文件 (*)</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="684"/>
        <source>文件过大</source>
        <translation>文件过大</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="689"/>
        <source>无法加载 %1：%2</source>
        <translation>无法加载 %1：%2</translation>
    </message>
    <message>
        <location filename="../mainwindow/plotwindow.cpp" line="697"/>
        <source>已加载的 DBC 中没有这些信号：
%1</source>
        <translation>已加载的 DBC 中没有这些信号：
%1</translation>
    </message>
</context>
<context>
    <name>SettingDialog</name>
    <message>
        <location filename="../settings/settingdialog.ui" line="14"/>
        <source>设置</source>
        <translation>设置</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="37"/>
        <source>语言</source>
        <translation>语言</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="42"/>
        <source>自动连接</source>
        <translation>自动连接</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="47"/>
        <source>CAN时间</source>
        <translation>CAN时间</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="52"/>
        <source>恢复出厂</source>
        <translation>恢复出厂</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="461"/>
        <source>恢复出厂</source>
        <comment>button</comment>
        <translation>恢复出厂</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="87"/>
        <source>请选择界面语言，重启后生效</source>
        <translation>请选择界面语言，重启后生效</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="16"/>
        <source>选择设置页</source>
        <translation>选择设置页</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="92"/>
        <source>界面使用中文，下次启动时生效</source>
        <translation>界面使用中文，下次启动时生效</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="103"/>
        <source>中文</source>
        <translation>中文</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="108"/>
        <source>界面使用英文，下次启动时生效</source>
        <translation>界面使用英文，下次启动时生效</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="119"/>
        <source>English</source>
        <translation>English</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="126"/>
        <source>启动时和插入设备时自动连接</source>
        <translation>启动时和插入设备时自动连接</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="145"/>
        <source>自动连接设备</source>
        <translation>自动连接设备</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="150"/>
        <source>在每个标签页上都让设备继续上报CAN帧，而不只在CAN标签页上</source>
        <translation>在每个标签页上都让设备继续上报CAN帧，而不只在CAN标签页上</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="166"/>
        <source>切换标签时继续接收</source>
        <translation>切换标签时继续接收</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="186"/>
        <source>CAN时间:</source>
        <translation>CAN时间:</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="191"/>
        <location filename="../settings/settingdialog.ui" line="235"/>
        <source>CAN时间：设备固件保存并使用的毫秒数（5~255，小于5按5设置）；本工具只读写这个数，不用它计时，它也不是波特率</source>
        <translation>CAN时间：设备固件保存并使用的毫秒数（5~255，小于5按5设置）；本工具只读写这个数，不用它计时，它也不是波特率</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="202"/>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="207"/>
        <source>从设备读取CAN时间</source>
        <translation>从设备读取CAN时间</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="230"/>
        <source>读取</source>
        <translation>读取</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="256"/>
        <source>ms</source>
        <translation>ms</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="261"/>
        <source>把输入的CAN时间写入设备</source>
        <translation>把输入的CAN时间写入设备</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="284"/>
        <source>更新</source>
        <translation>更新</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="307"/>
        <source>接收表格最多保留的行数，超过后删去最早的行；记录到文件不受此限制</source>
        <translation>接收表格最多保留的行数，超过后删去最早的行；记录到文件不受此限制</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="345"/>
        <location filename="../settings/settingdialog.ui" line="361"/>
        <source>记录到文件时，文件达到这个大小就接着写下一个编号文件；0 表示不分卷</source>
        <translation>记录到文件时，文件达到这个大小就接着写下一个编号文件；0 表示不分卷</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="348"/>
        <source>记录分卷大小:</source>
        <translation>记录分卷大小:</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="364"/>
        <location filename="../settings/settingdialog.ui" line="407"/>
        <source>不分卷</source>
        <translation>不分卷</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="367"/>
        <source> MB</source>
        <translation> MB</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="388"/>
        <location filename="../settings/settingdialog.ui" line="404"/>
        <source>记录到文件时，每过这么多秒就接着写下一个编号文件；0 表示不分卷</source>
        <translation>记录到文件时，每过这么多秒就接着写下一个编号文件；0 表示不分卷</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="391"/>
        <source>记录分卷时长:</source>
        <translation>记录分卷时长:</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="410"/>
        <source> s</source>
        <translation> s</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="433"/>
        <source>恢复WIFI模块出厂设置</source>
        <translation>恢复WIFI模块出厂设置</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="438"/>
        <source>把设备的WIFI模块恢复为出厂设置（会先询问）</source>
        <translation>把设备的WIFI模块恢复为出厂设置（会先询问）</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="482"/>
        <source>正在恢复出厂设置...</source>
        <translation>正在恢复出厂设置...</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.cpp" line="61"/>
        <location filename="../settings/settingdialog.cpp" line="93"/>
        <location filename="../settings/settingdialog.cpp" line="149"/>
        <location filename="../settings/settingdialog.cpp" line="154"/>
        <location filename="../settings/settingdialog.cpp" line="161"/>
        <location filename="../settings/settingdialog.cpp" line="181"/>
        <source>信息</source>
        <translation>信息</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.cpp" line="61"/>
        <source>VOTK未连接</source>
        <translation>VOTK未连接</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.cpp" line="93"/>
        <source>正在升级固件，请稍候</source>
        <translation>正在升级固件，请稍候</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="302"/>
        <source>接收行数上限:</source>
        <translation>接收行数上限:</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.cpp" line="149"/>
        <source>请输入CAN时间</source>
        <translation>请输入CAN时间</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.cpp" line="154"/>
        <source>CAN时间须为0到255之间的整数</source>
        <translation>CAN时间须为0到255之间的整数</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.cpp" line="161"/>
        <source>CAN时间设置失败</source>
        <translation>CAN时间设置失败</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.cpp" line="172"/>
        <source>提示</source>
        <translation>提示</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.cpp" line="172"/>
        <source>确定要恢复出厂设置吗?</source>
        <translation>确定要恢复出厂设置吗?</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.cpp" line="181"/>
        <source>恢复出厂设置失败</source>
        <translation>恢复出厂设置失败</translation>
    </message>
</context>
<context>
    <name>TransmitListWidget</name>
    <message>
        <location filename="../mainwindow/transmitlistwidget.ui" line="27"/>
        <source>在选中行之后添加一行（无选中行时加在末尾）</source>
        <translation>在选中行之后添加一行（无选中行时加在末尾）</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitlistwidget.ui" line="28"/>
        <source>添加</source>
        <translation>添加</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitlistwidget.ui" line="35"/>
        <source>删除选中的行</source>
        <translation>删除选中的行</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitlistwidget.ui" line="36"/>
        <source>删除</source>
        <translation>删除</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitlistwidget.ui" line="43"/>
        <source>把选中的行上移一行</source>
        <translation>把选中的行上移一行</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitlistwidget.ui" line="44"/>
        <source>上移</source>
        <translation>上移</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitlistwidget.ui" line="51"/>
        <source>把选中的行下移一行</source>
        <translation>把选中的行下移一行</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitlistwidget.ui" line="52"/>
        <source>下移</source>
        <translation>下移</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitlistwidget.ui" line="59"/>
        <source>发送选中行的帧一次</source>
        <translation>发送选中行的帧一次</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitlistwidget.ui" line="60"/>
        <source>发送选中</source>
        <translation>发送选中</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitlistwidget.ui" line="67"/>
        <source>开始或停止选中行的周期发送</source>
        <translation>开始或停止选中行的周期发送</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitlistwidget.ui" line="68"/>
        <source>周期选中</source>
        <translation>周期选中</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitlistwidget.ui" line="75"/>
        <source>把发送列表保存到文本文件</source>
        <translation>把发送列表保存到文本文件</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitlistwidget.ui" line="76"/>
        <source>保存列表…</source>
        <translation>保存列表…</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitlistwidget.ui" line="83"/>
        <source>从文本文件载入发送列表，替换当前的行</source>
        <translation>从文本文件载入发送列表，替换当前的行</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitlistwidget.ui" line="84"/>
        <source>载入列表…</source>
        <translation>载入列表…</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitlistwidget.ui" line="109"/>
        <source>名称</source>
        <translation>名称</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitlistwidget.ui" line="123"/>
        <source>数据</source>
        <translation>数据</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitlistwidget.ui" line="130"/>
        <source>周期</source>
        <translation>周期</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitlistwidget.ui" line="137"/>
        <source>帧数</source>
        <translation>帧数</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitlistwidget.ui" line="144"/>
        <source>计数</source>
        <translation>计数</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitlistwidget.cpp" line="367"/>
        <source>发送列表 (*.txlist)</source>
        <translation>发送列表 (*.txlist)</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitlistwidget.cpp" line="369"/>
        <source>保存发送列表</source>
        <translation>保存发送列表</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitlistwidget.cpp" line="375"/>
        <location filename="../mainwindow/transmitlistwidget.cpp" line="390"/>
        <location filename="../mainwindow/transmitlistwidget.cpp" line="395"/>
        <location filename="../mainwindow/transmitlistwidget.cpp" line="430"/>
        <source>信息</source>
        <translation>信息</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitlistwidget.cpp" line="376"/>
        <source>无法保存发送列表：%1</source>
        <translation>无法保存发送列表：%1</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitlistwidget.cpp" line="382"/>
        <source>载入发送列表</source>
        <translation>载入发送列表</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitlistwidget.cpp" line="383"/>
        <source>发送列表 (*.txlist);;所有文件 (*)</source>
        <translation>发送列表 (*.txlist);;所有文件 (*)</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitlistwidget.cpp" line="390"/>
        <source>无法载入发送列表：不是发送列表文件</source>
        <translation>无法载入发送列表：不是发送列表文件</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitlistwidget.cpp" line="395"/>
        <source>无法打开文件：%1</source>
        <translation>无法打开文件：%1</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitlistwidget.cpp" line="404"/>
        <source>不是发送列表文件</source>
        <translation>不是发送列表文件</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitlistwidget.cpp" line="407"/>
        <source>应为以制表符分隔的7个字段</source>
        <translation>应为以制表符分隔的7个字段</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitlistwidget.cpp" line="410"/>
        <source>第1个字段应为 on 或 off</source>
        <translation>第1个字段应为 on 或 off</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitlistwidget.cpp" line="413"/>
        <source>ID应为最多8位十六进制数</source>
        <translation>ID应为最多8位十六进制数</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitlistwidget.cpp" line="416"/>
        <source>数据应为十六进制数和空格，最多23个字符</source>
        <translation>数据应为十六进制数和空格，最多23个字符</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitlistwidget.cpp" line="419"/>
        <source>周期应为1~60000毫秒</source>
        <translation>周期应为1~60000毫秒</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitlistwidget.cpp" line="422"/>
        <source>帧数应为0~1000000000</source>
        <translation>帧数应为0~1000000000</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitlistwidget.cpp" line="425"/>
        <source>计数字节应为0~7或 -</source>
        <translation>计数字节应为0~7或 -</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitlistwidget.cpp" line="431"/>
        <source>无法载入发送列表，第%1行：%2</source>
        <translation>无法载入发送列表，第%1行：%2</translation>
    </message>
</context>
<context>
    <name>TransmitRowWidget</name>
    <message>
        <location filename="../mainwindow/transmitrowwidget.ui" line="16"/>
        <source>取消勾选则停用此行：不发送，控件变灰</source>
        <translation>取消勾选则停用此行：不发送，控件变灰</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitrowwidget.ui" line="24"/>
        <source>此行的名称，只用于辨认</source>
        <translation>此行的名称，只用于辨认</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitrowwidget.ui" line="25"/>
        <source>名称</source>
        <translation>名称</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitrowwidget.ui" line="32"/>
        <source>CAN ID：1~3位十六进制数，不大于7FF</source>
        <translation>CAN ID：1~3位十六进制数，不大于7FF</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitrowwidget.ui" line="40"/>
        <source>数据：最多8个十六进制字节，以空格分隔</source>
        <translation>数据：最多8个十六进制字节，以空格分隔</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitrowwidget.ui" line="49"/>
        <source>周期发送的间隔（毫秒）</source>
        <translation>周期发送的间隔（毫秒）</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitrowwidget.ui" line="60"/>
        <source>周期发送的帧数，达到后自动停止；∞：直到停止</source>
        <translation>周期发送的帧数，达到后自动停止；∞：直到停止</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitrowwidget.ui" line="70"/>
        <source>计数字节：每发送一帧，该数据字节（从0起）加1，FF之后为00；-：无</source>
        <translation>计数字节：每发送一帧，该数据字节（从0起）加1，FF之后为00；-：无</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitrowwidget.ui" line="81"/>
        <source>发送此行的帧一次</source>
        <translation>发送此行的帧一次</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitrowwidget.ui" line="88"/>
        <source>发送</source>
        <translation>发送</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitrowwidget.ui" line="95"/>
        <source>按周期反复发送此行的帧；再按一次停止</source>
        <translation>按周期反复发送此行的帧；再按一次停止</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitrowwidget.ui" line="103"/>
        <location filename="../mainwindow/transmitrowwidget.cpp" line="177"/>
        <source>周期发送</source>
        <translation>周期发送</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitrowwidget.ui" line="110"/>
        <source>从已加载的 DBC 报文生成 ID 和数据</source>
        <translation>从已加载的 DBC 报文生成 ID 和数据</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitrowwidget.ui" line="111"/>
        <source>DBC…</source>
        <translation>DBC…</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitrowwidget.ui" line="118"/>
        <source>此行已发送的帧数</source>
        <translation>此行已发送的帧数</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitrowwidget.cpp" line="142"/>
        <source>ID应为0~7FF</source>
        <translation>ID应为0~7FF</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitrowwidget.cpp" line="146"/>
        <source>数据应为最多8字节</source>
        <translation>数据应为最多8字节</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitrowwidget.cpp" line="150"/>
        <source>计数字节超出数据</source>
        <translation>计数字节超出数据</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitrowwidget.cpp" line="158"/>
        <source>CAN ID有误：应为1~3位十六进制数，不大于7FF</source>
        <translation>CAN ID有误：应为1~3位十六进制数，不大于7FF</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitrowwidget.cpp" line="160"/>
        <source>CAN数据有误：应为最多8个字节，每个1~2位十六进制数，以单个空格分隔；或不带空格的偶数位十六进制数，最多16位</source>
        <translation>CAN数据有误：应为最多8个字节，每个1~2位十六进制数，以单个空格分隔；或不带空格的偶数位十六进制数，最多16位</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitrowwidget.cpp" line="162"/>
        <source>计数字节的位置超出了数据的字节数</source>
        <translation>计数字节的位置超出了数据的字节数</translation>
    </message>
    <message>
        <location filename="../mainwindow/transmitrowwidget.cpp" line="177"/>
        <source>停止</source>
        <translation>停止</translation>
    </message>
</context>
<context>
    <name>UpgradeTab</name>
    <message>
        <location filename="../mainwindow/upgradetab.ui" line="13"/>
        <source>升级文件的路径；选择后立即检查</source>
        <translation>升级文件的路径；选择后立即检查</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.ui" line="23"/>
        <source>选择升级文件</source>
        <translation>选择升级文件</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.ui" line="46"/>
        <source>选择文件</source>
        <translation>选择文件</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.ui" line="49"/>
        <source>先确认设备和文件，然后把固件写入设备</source>
        <translation>先确认设备和文件，然后把固件写入设备</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.ui" line="72"/>
        <source>升级固件</source>
        <translation>升级固件</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.ui" line="75"/>
        <source>已写入设备的升级文件比例</source>
        <translation>已写入设备的升级文件比例</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.ui" line="104"/>
        <location filename="../mainwindow/upgradetab.cpp" line="19"/>
        <location filename="../mainwindow/upgradetab.cpp" line="66"/>
        <source>进度：</source>
        <translation>进度：</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.cpp" line="57"/>
        <source>打开升级文件</source>
        <translation>打开升级文件</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.cpp" line="57"/>
        <source>升级文件(*.ota)</source>
        <translation>升级文件(*.ota)</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.cpp" line="86"/>
        <source>进度:升级文件大小错误，应为 %1 字节</source>
        <translation>进度:升级文件大小错误，应为 %1 字节</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.cpp" line="111"/>
        <source>进度:请先选择升级文件</source>
        <translation>进度:请先选择升级文件</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.cpp" line="81"/>
        <source>进度:升级文件打开失败</source>
        <translation>进度:升级文件打开失败</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.cpp" line="84"/>
        <source>进度:升级文件校验错误</source>
        <translation>进度:升级文件校验错误</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.cpp" line="88"/>
        <source>进度:升级文件错误</source>
        <translation>进度:升级文件错误</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.cpp" line="97"/>
        <source>未知</source>
        <translation>未知</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.cpp" line="99"/>
        <source>要升级这个设备的固件吗？

序列号：%1
当前固件：%2
文件版本：%3

升级期间请勿断开设备。</source>
        <translation>要升级这个设备的固件吗？

序列号：%1
当前固件：%2
文件版本：%3

升级期间请勿断开设备。</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.cpp" line="102"/>
        <source>文件未标明版本</source>
        <translation>文件未标明版本</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.cpp" line="103"/>
        <source>固件升级</source>
        <translation>固件升级</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.cpp" line="132"/>
        <source>进度:正在升级</source>
        <translation>进度:正在升级</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.cpp" line="154"/>
        <source>设备重启中，请稍候</source>
        <translation>设备重启中，请稍候</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.cpp" line="162"/>
        <source>停在 %p%</source>
        <translation>停在 %p%</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.cpp" line="165"/>
        <source>结果:升级成功,请重新上电VOTK设备</source>
        <translation>结果:升级成功,请重新上电VOTK设备</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.cpp" line="168"/>
        <source>结果:升级中断,请重新连接VOTK设备后再试</source>
        <translation>结果:升级中断,请重新连接VOTK设备后再试</translation>
    </message>
    <message>
        <location filename="../mainwindow/upgradetab.cpp" line="172"/>
        <source>结果:升级失败</source>
        <translation>结果:升级失败</translation>
    </message>
</context>
</TS>
