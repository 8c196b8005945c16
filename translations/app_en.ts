<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>MainWindow</name>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="14"/>
        <source>VOTK-WIFI BOX</source>
        <translation>VOTK-WIFI BOX</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="37"/>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="28"/>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="50"/>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="72"/>
        <location filename="../mainwindow/mainwindow_info.cpp" line="46"/>
        <location filename="../mainwindow/mainwindow_info.cpp" line="48"/>
        <source>信息</source>
        <translation>Information</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="49"/>
        <source>.</source>
        <translation>.</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="74"/>
        <source>连接</source>
        <translation>Connect</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="127"/>
        <source>软件 ID:</source>
        <translation>Software ID:</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="140"/>
        <source>软件版本:</source>
        <translation>Software version:</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="153"/>
        <source>硬件ID:</source>
        <translation>Hardware ID:</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="166"/>
        <source>WIFI名称:</source>
        <translation>WiFi name:</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="179"/>
        <source>WIFI密码:</source>
        <translation>WiFi password:</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="216"/>
        <location filename="../mainwindow/mainwindow.ui" line="229"/>
        <location filename="../mainwindow/mainwindow.ui" line="242"/>
        <location filename="../mainwindow/mainwindow.ui" line="255"/>
        <location filename="../mainwindow/mainwindow.ui" line="268"/>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="295"/>
        <source>读取信息</source>
        <translation>Read info</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="330"/>
        <source>新WIFI名称:</source>
        <translation>New WiFi name:</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="349"/>
        <source>新WIFI密码:</source>
        <translation>New password:</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="394"/>
        <source>（8~15字符）</source>
        <translation>(8-15 chars)</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="418"/>
        <source>更新WIFI设置</source>
        <translation>Update WiFi</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="424"/>
        <source>CAN</source>
        <translation>CAN</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="444"/>
        <source>CAN RX</source>
        <translation>CAN RX</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="482"/>
        <source>22:10:13:323</source>
        <translation>22:10:13:323</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="487"/>
        <source>781</source>
        <translation>781</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="492"/>
        <location filename="../mainwindow/mainwindow.ui" line="507"/>
        <source>1 3 4 5 6 7 8 9 10</source>
        <translation>1 3 4 5 6 7 8 9 10</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="497"/>
        <source>22:10:13:354</source>
        <translation>22:10:13:354</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="502"/>
        <source>783</source>
        <translation>783</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="512"/>
        <source>22:10:13:344</source>
        <translation>22:10:13:344</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="517"/>
        <source>791</source>
        <translation>791</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="522"/>
        <source>34 43 45 00 00 00 00 00</source>
        <translation>34 43 45 00 00 00 00 00</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="560"/>
        <source>CAN TX</source>
        <translation>CAN TX</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="573"/>
        <source>ID</source>
        <translation>ID</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="592"/>
        <source> 0  1  2  3  4  5  6  7    </source>
        <translation> 0  1  2  3  4  5  6  7    </translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="605"/>
        <source>DATA</source>
        <translation>DATA</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="662"/>
        <location filename="../mainwindow/mainwindow.ui" line="719"/>
        <source>发送</source>
        <translation>Send</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="725"/>
        <source>固件升级</source>
        <translation>Firmware upgrade</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="759"/>
        <source>选择文件</source>
        <translation>Choose file</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="784"/>
        <source>升级固件</source>
        <translation>Upgrade</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="816"/>
        <location filename="../mainwindow/mainwindow.cpp" line="52"/>
        <source>进度：</source>
        <translation>Progress:</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="833"/>
        <source>文件</source>
        <translation>File</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="840"/>
        <location filename="../mainwindow/mainwindow.cpp" line="112"/>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="850"/>
        <source>设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="855"/>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="860"/>
        <source>关于VOTK</source>
        <translation>About VOTK</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.cpp" line="112"/>
        <source>VOTK-Tarnwell 1.2</source>
        <translation>VOTK-Tarnwell 1.2</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="72"/>
        <source>正在升级固件，请稍候</source>
        <translation>Firmware upgrade in progress, please wait</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_can.cpp" line="147"/>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_can.cpp" line="148"/>
        <source>全部删除</source>
        <translation>Delete all</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_can.cpp" line="85"/>
        <source>CAN ID有误：应为1~3位十六进制数，不大于7FF</source>
        <translation>Wrong CAN ID: enter 1 to 3 hex digits, at most 7FF</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_can.cpp" line="91"/>
        <source>CAN数据有误：应为最多8个字节，每个1~2位十六进制数，以单个空格分隔；或不带空格的偶数位十六进制数，最多16位</source>
        <translation>Wrong CAN data: enter up to 8 bytes of 1 or 2 hex digits separated by single spaces, or an even number of hex digits (at most 16) without spaces</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="28"/>
        <source>VOTK连接失败</source>
        <translation>VOTK connection failed</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="41"/>
        <source>VOTK已连接</source>
        <translation>Connected</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="50"/>
        <source>VOTK未连接</source>
        <translation>VOTK not connected</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_connect.cpp" line="64"/>
        <source>VOTK已断开</source>
        <translation>Disconnected</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_info.cpp" line="46"/>
        <source>WIFI信息已设置</source>
        <translation>WiFi information set</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_info.cpp" line="48"/>
        <source>WIFI信息设置失败</source>
        <translation>Failed to set the WiFi information</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_info.cpp" line="42"/>
        <source>WIFI名称不能为空</source>
        <translation>The WiFi name must not be empty</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_info.cpp" line="44"/>
        <source>WIFI名称不能包含“,”</source>
        <translation>The WiFi name must not contain &quot;,&quot;</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_info.cpp" line="46"/>
        <source>WIFI名称只能包含西文字符（Latin-1），不支持中文等</source>
        <translation>The WiFi name may only contain Latin-1 characters (no Chinese etc.)</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_info.cpp" line="48"/>
        <source>WIFI密码不能包含“,”</source>
        <translation>The WiFi password must not contain &quot;,&quot;</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_info.cpp" line="50"/>
        <source>WIFI密码只能包含西文字符（Latin-1），不支持中文等</source>
        <translation>The WiFi password may only contain Latin-1 characters (no Chinese etc.)</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_upgrade.cpp" line="16"/>
        <source>打开升级文件</source>
        <translation>Open upgrade file</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_upgrade.cpp" line="17"/>
        <source>升级文件(*.ota)</source>
        <translation>Upgrade files (*.ota)</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_upgrade.cpp" line="38"/>
        <source>进度:升级文件打开失败</source>
        <translation>Progress: cannot open the file</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_upgrade.cpp" line="42"/>
        <source>进度:升级文件校验错误</source>
        <translation>Progress: file checksum error</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_upgrade.cpp" line="46"/>
        <source>进度:升级文件大小错误</source>
        <translation>Progress: file size error</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_upgrade.cpp" line="50"/>
        <source>进度:升级文件错误</source>
        <translation>Progress: file error</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_upgrade.cpp" line="54"/>
        <source>进度:正在升级</source>
        <translation>Progress: upgrading</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_hotplug.cpp" line="50"/>
        <source>USB线连接</source>
        <translation>USB cable connected</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_hotplug.cpp" line="89"/>
        <location filename="../mainwindow/mainwindow_hotplug.cpp" line="91"/>
        <source>USB线断开</source>
        <translation>USB cable disconnected</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="497"/>
        <source>暂停</source>
        <translation>Pause</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow.ui" line="525"/>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_canrx.cpp" line="94"/>
        <source>继续</source>
        <translation>Resume</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_canrx.cpp" line="87"/>
        <source>已接收: %1</source>
        <translation>Received: %1</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_canrx.cpp" line="88"/>
        <source>速率: %1 帧/秒</source>
        <translation>Rate: %1 frames/s</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_canrx.cpp" line="89"/>
        <source>超限移除: %1</source>
        <translation>Over limit: %1</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_canrx.cpp" line="137"/>
        <source>candump 日志 (*.log);;CSV 文件 (*.csv)</source>
        <translation>candump log (*.log);;CSV file (*.csv)</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_canrx.cpp" line="142"/>
        <source>请使用 .log 或 .csv 文件名</source>
        <translation>Please use a .log or .csv file name</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_canrx.cpp" line="150"/>
        <source>保存失败：%1</source>
        <translation>Saving failed: %1</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_canrx.cpp" line="158"/>
        <source>正在保存...</source>
        <translation>Saving...</translation>
    </message>
    <message>
        <location filename="../mainwindow/mainwindow_canrx.cpp" line="158"/>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>配置文件 %1 无法写入，设置只在本次运行中有效</source>
        <translation>%1 cannot be written; settings apply to this run only</translation>
    </message>
    <message>
        <source>VOTK设备正被其他程序使用</source>
        <translation>The VOTK box is in use by another program</translation>
    </message>
    <message>
        <source>程序: %1 (PID %2)</source>
        <translation>Program: %1 (PID %2)</translation>
    </message>
    <message>
        <source>WIFI名称不能包含控制字符（换行、制表符等）</source>
        <translation>The WiFi name must not contain control characters (line breaks, tabs etc.)</translation>
    </message>
    <message>
        <source>WIFI密码不能包含控制字符（换行、制表符等）</source>
        <translation>The WiFi password must not contain control characters (line breaks, tabs etc.)</translation>
    </message>
    <message>
        <source>WIFI名称和密码合计不能超过%1个字符</source>
        <translation>The WiFi name and password together must not exceed %1 characters</translation>
    </message>
    <message>
        <source>结果:升级成功,请重新上电VOTK设备</source>
        <translation>Result: upgrade succeeded, please power-cycle the VOTK device</translation>
    </message>
    <message>
        <source>结果:升级中断,请重新连接VOTK设备后再试</source>
        <translation>Result: upgrade interrupted, please reconnect the VOTK device and try again</translation>
    </message>
    <message>
        <source>结果:升级失败</source>
        <translation>Result: upgrade failed</translation>
    </message>
</context>
<context>
    <name>OtaHandle</name>
    <message>
        <location filename="../upgrade/otahandle.cpp" line="160"/>
        <source>结果:升级中断,请重新连接VOTK设备后再试</source>
        <translation>Result: upgrade interrupted, please reconnect the VOTK device and try again</translation>
    </message>
    <message>
        <source>进度:正在升级</source>
        <translation>Progress: upgrading</translation>
    </message>
    <message>
        <source>结果:升级失败</source>
        <translation>Result: upgrade failed</translation>
    </message>
    <message>
        <source>结果:升级成功,请重新上电VOTK设备</source>
        <translation>Result: upgrade succeeded, please power-cycle the VOTK device</translation>
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
        <location filename="../settings/settingdialog.ui" line="284"/>
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
        <location filename="../settings/settingdialog.ui" line="156"/>
        <source>CAN时间:</source>
        <translation>CAN time:</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="169"/>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="193"/>
        <source>读取</source>
        <translation>Read</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="216"/>
        <source>ms</source>
        <translation>ms</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="240"/>
        <source>更新</source>
        <translation>Update</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="260"/>
        <source>恢复WIFI模块出厂设置</source>
        <translation>Reset WiFi to factory</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="305"/>
        <source>正在恢复出厂设置...</source>
        <translation>Resetting...</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.cpp" line="64"/>
        <location filename="../settings/settingdialog.cpp" line="73"/>
        <source>信息</source>
        <translation>Information</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.cpp" line="64"/>
        <source>VOTK未连接</source>
        <translation>VOTK not connected</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.cpp" line="73"/>
        <source>正在升级固件，请稍候</source>
        <translation>Firmware upgrade in progress, please wait</translation>
    </message>
    <message>
        <location filename="../settings/settingdialog.ui" line="258"/>
        <source>接收行数上限:</source>
        <translation>RX row limit:</translation>
    </message>
    <message>
        <source>请输入CAN时间</source>
        <translation>Please enter the CAN time</translation>
    </message>
    <message>
        <source>CAN时间须为0到255之间的整数</source>
        <translation>The CAN time must be a whole number from 0 to 255</translation>
    </message>
    <message>
        <source>CAN时间设置失败</source>
        <translation>Failed to set the CAN time</translation>
    </message>
    <message>
        <source>恢复出厂设置失败</source>
        <translation>Factory reset failed</translation>
    </message>
</context>
</TS>
